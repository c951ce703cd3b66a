#pragma once
// Everything a screen model needs, real and private to one test: preference stores and a
// keychain file under a fresh home folder, a manual loop on virtual time, a notification
// centre that counts posts, a recording URL opener, a capturing log, and the real API client
// over libcurl talking to two scriptable servers on loopback: `https` for the link table and
// announcements (its certificate from a throw-away CA the loader trusts) and `http` for the
// JSON POSTs, whose host is stored as the API domain.
//
// Completions arrive on the loader's thread and reach the models through the manual loop;
// settle() pumps the loop in wall time until a condition holds, without moving virtual time.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "api/api_client.h"
#include "api/support/script_server.h"
#include "api/support/test_pki.h"
#include "app/content_view.h"
#include "screenkit/services.h"
#include "platform/device/fixed_device_info.h"
#include "platform/url/curl_url_loader.h"
#include "platform/log/log.h"
#include "platform/mainloop/manual/manual_loop.h"
#include "platform/opener/url_opener.h"
#include "platform/paths/paths.h"
#include "platform/preferences/preference_suite.h"
#include "platform/secitem/file/file_sec_item_backend.h"
#include "platform/vpn/no_vpn_service.h"
#include "securestore/keychain_store.h"

namespace corvane::test {

class ScreenEnv {
 public:
  // Against the scriptable servers below.
  ScreenEnv() : ScreenEnv(std::nullopt) {}

  // Against a real backend: its HTTPS host and the CA file that vouches for it. The API
  // domain then comes from the start-up gate, as in the app.
  struct Backend {
    std::string apiHost;
    std::filesystem::path caFile;
  };

  explicit ScreenEnv(std::optional<Backend> backend)
      : home_(makeHome()),
        paths_(platform::Paths::underHome(home_)),
        log_(platform::Log::capturing(sink)),
        standard_(openStore(platform::PreferenceSuite::standard)),
        group_(openStore(platform::PreferenceSuite::appGroup)),
        preferences(*standard_),
        groupPreferences(*group_),
        secItems_(platform::FileSecItemBackend::defaultFile(paths_), log_),
        keychain(secItems_, log_, std::string(securestore::KeychainStore::kApplicationService)),
        vpn(loop),
        https(pki_.issue({"IP:127.0.0.1"})),
        loader_(platform::CurlUrlLoader::Options{
                    .extraCaFile = backend ? backend->caFile : pki_.writeCaFile(home_)},
                log_),
        api(*standard_, keychain, device_, loader_, log_,
            api::ApiClient::Options{.apiHost = backend ? backend->apiHost : https.hostPort(),
                                    .postTimeout = std::chrono::milliseconds(5000)}) {
    if (!backend) preferences.set(keys::pref::domainLink, http.hostPort());
  }

  // Runs what the loader hands to the main loop until `done()` holds (wall-time ceiling).
  bool settle(const std::function<bool()>& done,
              std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    return loop.runUntil(done, limit);
  }
  // Answers every POST to `path` with `json` (status 200).
  void answer(const std::string& path, std::string json, int status = 200) {
    http.answer("POST", "/app-api-v1/" + path, test::ScriptedReply::json(status, std::move(json)));
  }
  std::vector<test::RecordedRequest> posts(const std::string& path) const {
    std::vector<test::RecordedRequest> found;
    for (auto& r : http.requests()) {
      if (r.path == "/app-api-v1/" + path) found.push_back(r);
    }
    return found;
  }

  ~ScreenEnv() {
    // Retired models wait in the loop to be destroyed; let them go while the services they
    // unregister from still exist.
    loop.runPending();
    std::error_code ignored;
    std::filesystem::remove_all(home_, ignored);
  }

  // Counts every post of `name` from now on.
  void count(const std::string& name) {
    tokens_.push_back(notifications.addObserver(name, [this, name] { ++posted[name]; }));
  }

  const platform::Paths& paths() const { return paths_; }

  screenkit::Services services(std::string locale = "en_US") {
    return screenkit::Services{.preferences = preferences,
                         .groupPreferences = &groupPreferences,
                         .keychain = keychain,
                         .api = api,
                         .notifications = notifications,
                         .mainLoop = loop,
                         .opener = opener,
                         .vpn = vpn,
                         .log = log_,
                         .latency = nullptr,
                         .localeIdentifier = std::move(locale),
                         .makeRoot = [](screenkit::Services services) -> std::unique_ptr<screenkit::ScreenModel> {
                           return std::make_unique<app::ContentView>(std::move(services));
                         }};
  }
  platform::Log log() const { return log_; }

 private:
  static std::filesystem::path makeHome() {
    std::string pattern = (std::filesystem::temp_directory_path() / "corvane-screens-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    return pattern;
  }
  std::unique_ptr<platform::SqlitePreferenceStore> openStore(platform::PreferenceSuite suite) {
    auto store = platform::openPreferenceStore(paths_, suite, log_);
    if (!store) throw std::runtime_error(store.error().toString());
    return std::move(*store);
  }

  std::filesystem::path home_;
  platform::Paths paths_;

 public:
  std::shared_ptr<platform::CapturingSink> sink;

 private:
  platform::Log log_;
  std::unique_ptr<platform::SqlitePreferenceStore> standard_;
  std::unique_ptr<platform::SqlitePreferenceStore> group_;

 public:
  keys::Preferences preferences;
  keys::Preferences groupPreferences;

 private:
  platform::FileSecItemBackend secItems_;

 public:
  securestore::KeychainStore keychain;
  platform::ManualLoop loop;
  platform::NotificationCenter notifications;
  platform::RecordingUrlOpener opener;
  platform::NoVpnService vpn;
  std::map<std::string, int> posted;

 private:
  test::TestPki pki_;

 public:
  test::ScriptServer http;
  test::ScriptServer https;

 private:
  platform::FixedDeviceInfo device_;
  platform::CurlUrlLoader loader_;

 public:
  api::ApiClient api;

 private:
  std::vector<platform::NotificationCenter::Token> tokens_;
};

}  // namespace corvane::test
