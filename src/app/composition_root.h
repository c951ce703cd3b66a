#pragma once
// Builds every service the screen models use, over a main loop the front end owns (Asio for
// the CLI, Qt for the window, the manual loop in tests), and tears them down in the right
// order: first the loop's pending turns run (retired screen models are destroyed there, while
// the notification centre they unregister from still exists), then the services go in the
// reverse of the order they were built. The CLI, the window and the tests' screen environment
// all build their services here.
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "api/api_client.h"
#include "app/platform_choices.h"
#include "keys/preferences.h"
#include "platform/device/device_info.h"
#include "platform/lifecycle/app_lifecycle.h"
#include "platform/log/log.h"
#include "platform/mainloop/main_loop.h"
#include "platform/notifications/notification_center.h"
#include "platform/paths/paths.h"
#include "platform/url/curl_url_loader.h"
#include "screenkit/services.h"
#include "securestore/keychain_store.h"

namespace corvane::app {

class CompositionRoot {
 public:
  struct Options {
    platform::Paths paths = platform::Paths::fromEnvironment();
    platform::Log log = platform::Log::null();
    // Picks the localisation table ("en_US", "zh_CN").
    std::string localeIdentifier = "en_US";
    platform::CurlUrlLoader::Options loader = platform::CurlUrlLoader::Options::fromEnvironment();
    api::ApiClient::Options api = api::ApiClient::Options::fromEnvironment();
    // Starts the echo engine for the picker's latency column.
    bool withLatency = false;
    // The platform choices; the defaults are this machine's (platform_choices.h).
    OpenerFactory makeOpener = app::makeUrlOpener;
    VpnServiceFactory makeVpn = app::makeVpnService;
    SecItemBackendFactory makeSecItems = app::makeSecItemBackend;
    // The device the API client describes; null builds the running Linux system's.
    std::function<std::unique_ptr<platform::DeviceInfo>()> makeDevice;
    // Runs the loop's pending turns; called first when the root goes.
    std::function<void()> settle;
  };

  // Throws std::runtime_error with a readable message when the standard preference store
  // cannot be opened. Without the group store the credential copies are skipped.
  CompositionRoot(platform::MainLoop& loop, Options options);
  ~CompositionRoot();
  CompositionRoot(const CompositionRoot&) = delete;
  CompositionRoot& operator=(const CompositionRoot&) = delete;

  // The services every screen model is given; their root factory builds the start-up gate.
  screenkit::Services services();

  keys::Preferences& preferences();
  // Null when the application-group store could not be opened.
  keys::Preferences* groupPreferences();
  securestore::KeychainStore& keychain();
  api::ApiClient& api();
  // The loader every data task of this root goes through (the API client's too).
  platform::UrlLoader& urlLoader();
  platform::NotificationCenter& notifications();
  platform::UrlOpener& opener();
  platform::VpnService& vpn();
  // The "background" and "active" moments the echo engine follows; null without latency.
  platform::AppLifecycle* lifecycle();
  platform::MainLoop& loop() { return loop_; }
  platform::Log log() const { return options_.log; }
  // Data tasks started through this root's loader that have not completed yet.
  int requestsInFlight() const;

  struct Parts;

 private:
  platform::MainLoop& loop_;
  Options options_;
  std::unique_ptr<Parts> parts_;
};

}  // namespace corvane::app
