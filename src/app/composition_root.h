#pragma once
// Builds every service the screen models use, over a main loop the front end owns (Asio for
// the CLI, Qt for the window, the manual loop in tests), and tears them down in the right
// order: first the loop's pending turns run (retired screen models are destroyed there, while
// the notification centre they unregister from still exists), then the URL loader shuts down
// (its last completions still find what they reach), then the tunnel core's background queue
// stops, and then the services go in the reverse of the order they were built. The CLI, the
// window and the tests' screen environment all build their services here.
//
// With `withTunnel` the root also builds the tunnel side: the tunnel service's client and the
// VPN service over it (one platform choice), and the tunnel core (profiles, extension profile,
// command client) over that client, the loader and a serial background queue. Whatever a front
// end builds over them (the launch object, the dashboard) must go before the root.
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
#include "platform/mainloop/queue.h"
#include "platform/url/curl_url_loader.h"
#include "platform/vpn/tunnel_daemon.h"
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
    // Builds the tunnel side and the tunnel core. Without it the VPN service is NoVpnService.
    bool withTunnel = false;
    // The platform choices; the defaults are this machine's (platform_choices.h).
    OpenerFactory makeOpener = app::makeUrlOpener;
    VpnServiceFactory makeVpn = app::makeVpnService;
    SecItemBackendFactory makeSecItems = app::makeSecItemBackend;
    // The device the API client describes; null builds the running Linux system's.
    std::function<std::unique_ptr<platform::DeviceInfo>()> makeDevice;
    // The tunnel core's serial background queue; null builds one over the shared pool.
    std::function<std::unique_ptr<platform::Queue>()> makeBackground;
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
  // Their tunnelCore is the root's (null without the tunnel side or when it cannot be opened).
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
  // The tunnel service's client; null without `withTunnel`.
  platform::TunnelDaemon* tunnelDaemon();
  // The tunnel core; null without `withTunnel` or when it could not be opened (then
  // tunnelCoreError() says why; the screens show no tunnel parts).
  tunnelcore::TunnelCore* tunnelCore();
  const std::string& tunnelCoreError() const;
  // The "background" and "active" moments the echo engine follows; null without latency.
  platform::AppLifecycle* lifecycle();
  platform::MainLoop& loop() { return loop_; }
  platform::Log log() const { return options_.log; }
  // Data tasks started through this root's loader that have not completed yet.
  int requestsInFlight() const;

  struct Parts;

 private:
  void openTunnelCore();

  platform::MainLoop& loop_;
  Options options_;
  std::unique_ptr<Parts> parts_;
};

}  // namespace corvane::app
