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
#include "app/composition_root.h"
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

  explicit ScreenEnv(std::optional<Backend> backend) : ScreenEnv(std::move(backend), nullptr) {}

 protected:
  // Lets a derived environment change the root's options (its tunnel side) before it is built.
  using RootAdjustment = std::function<void(app::CompositionRoot::Options&, platform::ManualLoop&)>;
  ScreenEnv(std::optional<Backend> backend, const RootAdjustment& adjust)
      : home_(makeHome()),
        paths_(platform::Paths::underHome(home_)),
        log_(platform::Log::capturing(sink)),
        https(pki_.issue({"IP:127.0.0.1"})),
        root_(std::in_place, loop, rootOptions(backend, adjust)),
        preferences(root_->preferences()),
        groupPreferences(*root_->groupPreferences()),
        keychain(root_->keychain()),
        notifications(root_->notifications()),
        opener(dynamic_cast<platform::RecordingUrlOpener&>(root_->opener())),
        vpn(root_->vpn()),
        api(root_->api()) {
    if (!backend) preferences.set(keys::pref::domainLink, http.hostPort());
  }

  app::CompositionRoot& root() { return *root_; }
  // The throw-away CA the root's loader trusts.
  const test::TestPki& pki() const { return pki_; }

 public:
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
    // The root runs the loop's pending turns first (retired models), then its services go.
    root_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(home_, ignored);
  }

  // Counts every post of `name` from now on.
  void count(const std::string& name) {
    tokens_.push_back(notifications.addObserver(name, [this, name] { ++posted[name]; }));
  }

  const platform::Paths& paths() const { return paths_; }

  screenkit::Services services(std::string locale = "en_US") {
    screenkit::Services services = root_->services();
    services.localeIdentifier = std::move(locale);
    return services;
  }
  platform::Log log() const { return log_; }

 private:
  static std::filesystem::path makeHome() {
    std::string pattern = (std::filesystem::temp_directory_path() / "corvane-screens-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    return pattern;
  }
  app::CompositionRoot::Options rootOptions(const std::optional<Backend>& backend, const RootAdjustment& adjust) {
    app::CompositionRoot::Options options;
    options.paths = paths_;
    options.log = log_;
    options.loader = platform::CurlUrlLoader::Options{
        .extraCaFile = backend ? backend->caFile : pki_.writeCaFile(home_)};
    options.api = api::ApiClient::Options{.apiHost = backend ? backend->apiHost : https.hostPort(),
                                          .postTimeout = std::chrono::milliseconds(5000)};
    options.makeOpener = [](platform::Log) { return std::make_unique<platform::RecordingUrlOpener>(); };
    options.makeSecItems = [](const platform::Paths& paths, platform::Log log) {
      return std::make_unique<platform::FileSecItemBackend>(platform::FileSecItemBackend::defaultFile(paths),
                                                            std::move(log));
    };
    options.makeDevice = [] { return std::make_unique<platform::FixedDeviceInfo>(); };
    options.settle = [this] { loop.runPending(); };
    if (adjust) adjust(options, loop);
    return options;
  }

  std::filesystem::path home_;
  platform::Paths paths_;

 public:
  std::shared_ptr<platform::CapturingSink> sink;
  platform::ManualLoop loop;
  std::map<std::string, int> posted;

 private:
  platform::Log log_;
  test::TestPki pki_;

 public:
  test::ScriptServer http;
  test::ScriptServer https;

 private:
  std::optional<app::CompositionRoot> root_;

 public:
  keys::Preferences& preferences;
  keys::Preferences& groupPreferences;
  securestore::KeychainStore& keychain;
  platform::NotificationCenter& notifications;
  platform::RecordingUrlOpener& opener;
  platform::VpnService& vpn;
  api::ApiClient& api;

 private:
  std::vector<platform::NotificationCenter::Token> tokens_;
};

}  // namespace corvane::test
