#pragma once
// The screen services and a tunnel core for the tunnel benchmarks: real stores under a
// scratch home, the real API client (never called here), and the given tunnel service.
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

#include "api/api_client.h"
#include "keys/preferences.h"
#include "platform/device/fixed_device_info.h"
#include "platform/log/log.h"
#include "platform/mainloop/main_loop.h"
#include "platform/mainloop/queue.h"
#include "platform/notifications/notification_center.h"
#include "platform/opener/url_opener.h"
#include "platform/paths/paths.h"
#include "platform/preferences/preference_suite.h"
#include "platform/secitem/file/file_sec_item_backend.h"
#include "platform/url/curl_url_loader.h"
#include "platform/vpn/daemon_vpn_service.h"
#include "screenkit/services.h"
#include "securestore/keychain_store.h"
#include "tunnelcore/core_setup.h"
#include "tunnelcore/tunnel_core.h"

namespace corvane::bench {

class TunnelModels {
 public:
  TunnelModels(platform::MainLoop& loop, platform::Queue& background, platform::TunnelDaemon& daemon)
      : home_(makeHome()),
        paths_(platform::Paths::underHome(home_)),
        store_(open(paths_)),
        preferences(*store_),
        secItems_(platform::FileSecItemBackend::defaultFile(paths_), log_),
        keychain_(secItems_, log_, std::string(securestore::KeychainStore::kApplicationService)),
        api_(*store_, keychain_, device_, loader_, log_),
        loop_(loop),
        vpn_(daemon, notifications) {
    const auto folders = tunnelcore::FilePath::fromPaths(paths_);
    if (!tunnelcore::CoreSetup(folders.sharedDirectory, folders.workingDirectory, folders.cacheDirectory, false)) {
      throw std::runtime_error("CoreSetup");
    }
    auto core = tunnelcore::TunnelCore::open(folders, daemon, loader_, loop, background, notifications);
    if (!core) throw std::runtime_error(core.error().toString());
    this->core = std::move(*core);
  }
  ~TunnelModels() {
    std::error_code ignored;
    std::filesystem::remove_all(home_, ignored);
  }

  screenkit::Services services() {
    return screenkit::Services{.preferences = preferences,
                               .groupPreferences = nullptr,
                               .keychain = keychain_,
                               .api = api_,
                               .notifications = notifications,
                               .mainLoop = loop_,
                               .opener = opener_,
                               .vpn = vpn_,
                               .log = log_,
                               .latency = nullptr,
                               .localeIdentifier = "en_US",
                               .makeRoot = nullptr,
                               .tunnelCore = core.get()};
  }

 private:
  static std::filesystem::path makeHome() {
    std::string pattern = (std::filesystem::temp_directory_path() / "corvane-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp");
    return pattern;
  }
  std::unique_ptr<platform::SqlitePreferenceStore> open(const platform::Paths& paths) {
    auto store = platform::openPreferenceStore(paths, platform::PreferenceSuite::standard, log_);
    if (!store) throw std::runtime_error(store.error().toString());
    return std::move(*store);
  }

  std::filesystem::path home_;
  platform::Paths paths_;
  platform::Log log_ = platform::Log::null();
  std::unique_ptr<platform::SqlitePreferenceStore> store_;

 public:
  keys::Preferences preferences;
  platform::NotificationCenter notifications;

 private:
  platform::FileSecItemBackend secItems_;
  securestore::KeychainStore keychain_;
  platform::FixedDeviceInfo device_;
  platform::CurlUrlLoader loader_{platform::CurlUrlLoader::Options{}, log_};
  api::ApiClient api_;
  platform::MainLoop& loop_;
  platform::RecordingUrlOpener opener_;
  platform::DaemonVpnService vpn_;

 public:
  std::unique_ptr<tunnelcore::TunnelCore> core;
};

}  // namespace corvane::bench
