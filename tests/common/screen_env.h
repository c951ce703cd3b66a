#pragma once
// Everything a screen model needs, real and private to one test: preference stores and a
// keychain file under a fresh home folder, a manual loop on virtual time, a notification
// centre that counts posts, a recording URL opener and a capturing log.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "app/services.h"
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
  ScreenEnv()
      : home_(makeHome()),
        paths_(platform::Paths::underHome(home_)),
        log_(platform::Log::capturing(sink)),
        standard_(openStore(platform::PreferenceSuite::standard)),
        group_(openStore(platform::PreferenceSuite::appGroup)),
        preferences(*standard_),
        groupPreferences(*group_),
        secItems_(platform::FileSecItemBackend::defaultFile(paths_), log_),
        keychain(secItems_, log_, std::string(securestore::KeychainStore::kApplicationService)),
        vpn(loop) {}

  ~ScreenEnv() {
    std::error_code ignored;
    std::filesystem::remove_all(home_, ignored);
  }

  // Counts every post of `name` from now on.
  void count(const std::string& name) {
    tokens_.push_back(notifications.addObserver(name, [this, name] { ++posts[name]; }));
  }

  const platform::Paths& paths() const { return paths_; }

  app::Services services(std::string locale = "en_US") {
    return app::Services{.preferences = preferences,
                         .groupPreferences = &groupPreferences,
                         .keychain = keychain,
                         .notifications = notifications,
                         .mainLoop = loop,
                         .opener = opener,
                         .vpn = vpn,
                         .log = log_,
                         .latency = nullptr,
                         .localeIdentifier = std::move(locale)};
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
  app::Preferences preferences;
  app::AppGroupPreferences groupPreferences;

 private:
  platform::FileSecItemBackend secItems_;

 public:
  securestore::KeychainStore keychain;
  platform::ManualLoop loop;
  platform::NotificationCenter notifications;
  platform::RecordingUrlOpener opener;
  platform::NoVpnService vpn;
  std::map<std::string, int> posts;

 private:
  std::vector<platform::NotificationCenter::Token> tokens_;
};

}  // namespace corvane::test
