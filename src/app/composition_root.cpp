#include "app/composition_root.h"

#include <stdexcept>

#include "app/content_view.h"
#include "platform/device/linux/linux_device_info.h"
#include "platform/host/linux/getaddrinfo_host_resolver.h"
#include "platform/icmp/linux/linux_icmp_socket_factory.h"
#include "platform/lifecycle/notification_app_lifecycle.h"
#include "platform/mainloop/asio/global_queue.h"
#include "platform/mainloop/asio/serial_queue.h"
#include "platform/preferences/preference_suite.h"
#include "platform/url/tracking_url_loader.h"
#include "platform/vpn/no_vpn_service.h"
#include "screenkit/latency_services.h"
#include "tunnelcore/core_setup.h"
#include "tunnelcore/tunnel_core.h"

namespace corvane::app {

// Declared in build order; members are destroyed in the reverse order, so each service goes
// before the ones it was built over.
struct CompositionRoot::Parts {
  std::unique_ptr<platform::SqlitePreferenceStore> standardStore;
  std::unique_ptr<platform::SqlitePreferenceStore> groupStore;
  std::optional<keys::Preferences> preferences;
  std::optional<keys::Preferences> groupPreferences;
  std::unique_ptr<platform::SecItemBackend> secItems;
  std::unique_ptr<securestore::KeychainStore> keychain;
  std::unique_ptr<platform::DeviceInfo> device;
  std::unique_ptr<platform::CurlUrlLoader> curl;
  std::unique_ptr<platform::TrackingUrlLoader> loader;
  std::unique_ptr<api::ApiClient> api;
  platform::NotificationCenter notifications;
  std::unique_ptr<platform::UrlOpener> opener;
  // The daemon is null without the tunnel side; the VPN service is always there.
  TunnelSide tunnel;
  std::unique_ptr<platform::Queue> background;
  std::unique_ptr<tunnelcore::TunnelCore> core;
  std::string coreError;
  // Echo engine, only when latency is asked for.
  platform::GetaddrinfoHostResolver resolver;
  platform::LinuxIcmpSocketFactory sockets;
  std::unique_ptr<platform::NotificationAppLifecycle> lifecycle;
  std::unique_ptr<screenkit::LatencyServices> latency;
};

CompositionRoot::CompositionRoot(platform::MainLoop& loop, Options options)
    : loop_(loop), options_(std::move(options)), parts_(std::make_unique<Parts>()) {
  Parts& p = *parts_;
  const platform::Log& log = options_.log;
  auto standard = platform::openPreferenceStore(options_.paths, platform::PreferenceSuite::standard, log);
  if (!standard) throw std::runtime_error("cannot open preferences: " + standard.error().toString());
  p.standardStore = std::move(*standard);
  p.preferences.emplace(*p.standardStore);
  if (auto group = platform::openPreferenceStore(options_.paths, platform::PreferenceSuite::appGroup, log)) {
    p.groupStore = std::move(*group);
    p.groupPreferences.emplace(*p.groupStore);
  }
  p.secItems = options_.makeSecItems(options_.paths, log);
  p.keychain = std::make_unique<securestore::KeychainStore>(
      *p.secItems, log, std::string(securestore::KeychainStore::kApplicationService));
  p.device = options_.makeDevice ? options_.makeDevice() : std::make_unique<platform::LinuxDeviceInfo>();
  p.curl = std::make_unique<platform::CurlUrlLoader>(options_.loader, log);
  // Each completed request wakes the loop, so a caller waiting on requestsInFlight() looks again.
  p.loader = std::make_unique<platform::TrackingUrlLoader>(*p.curl, [&loop] { loop.post([] {}); });
  p.api = std::make_unique<api::ApiClient>(*p.standardStore, *p.keychain, *p.device, *p.loader, log,
                                           options_.api);
  p.opener = options_.makeOpener(log);
  if (options_.withTunnel) {
    p.tunnel = options_.makeVpn(loop_, p.notifications, log);
    openTunnelCore();
  } else {
    p.tunnel.vpn = std::make_unique<platform::NoVpnService>(loop_);
  }
  if (options_.withLatency) {
    p.lifecycle = std::make_unique<platform::NotificationAppLifecycle>(p.notifications);
    auto& pool = platform::GlobalQueue::shared();
    ping::EchoPingerServices pinger{
        .mainLoop = loop_,
        .sockets = p.sockets,
        .makeSerialQueue = [&pool] { return std::make_unique<platform::SerialQueue>(pool); },
        .lifecycle = p.lifecycle.get(),
        .log = log};
    p.latency = std::make_unique<screenkit::LatencyServices>(
        screenkit::LatencyServices{std::move(pinger), p.resolver, pool});
  }
}

void CompositionRoot::openTunnelCore() {
  Parts& p = *parts_;
  auto& pool = platform::GlobalQueue::shared();
  p.background = options_.makeBackground ? options_.makeBackground() : std::make_unique<platform::SerialQueue>(pool);
  const auto folders = tunnelcore::FilePath::fromPaths(options_.paths);
  if (auto setup = tunnelcore::CoreSetup(folders.sharedDirectory, folders.workingDirectory, folders.cacheDirectory,
                                         false);
      !setup) {
    p.coreError = "cannot prepare the tunnel core's folders: " + setup.error().description;
  } else if (auto core = tunnelcore::TunnelCore::open(folders, *p.tunnel.daemon, *p.loader, loop_, *p.background,
                                                      p.notifications);
             !core) {
    p.coreError = "cannot open the tunnel core: " + core.error().toString();
  } else {
    p.core = std::move(*core);
  }
  if (!p.coreError.empty()) options_.log.error(p.coreError);
}

CompositionRoot::~CompositionRoot() {
  // Screen models taken off screen are destroyed on a later loop turn (screenkit::retire);
  // run those turns now, while the services they unregister from still exist.
  if (options_.settle) options_.settle();
  // The loader completes every request still queued when it shuts down, on its own thread,
  // through the tracking loader and the API client's completions (which write preferences).
  // Shut it down first, while everything those completions reach still exists.
  if (parts_) parts_->curl.reset();
  // Then the tunnel core's background work: tasks not started are dropped, a running one is
  // waited for while the core it works on still exists.
  if (parts_) parts_->background.reset();
}

screenkit::Services CompositionRoot::services() {
  Parts& p = *parts_;
  return screenkit::Services{
      .preferences = *p.preferences,
      .groupPreferences = groupPreferences(),
      .keychain = *p.keychain,
      .api = *p.api,
      .notifications = p.notifications,
      .mainLoop = loop_,
      .opener = *p.opener,
      .vpn = *p.tunnel.vpn,
      .log = options_.log,
      .latency = p.latency.get(),
      .localeIdentifier = options_.localeIdentifier,
      .makeRoot = [](screenkit::Services services) -> std::unique_ptr<screenkit::ScreenModel> {
        return std::make_unique<ContentView>(std::move(services));
      },
      .tunnelCore = p.core.get()};
}

keys::Preferences& CompositionRoot::preferences() { return *parts_->preferences; }
keys::Preferences* CompositionRoot::groupPreferences() {
  return parts_->groupPreferences ? &*parts_->groupPreferences : nullptr;
}
securestore::KeychainStore& CompositionRoot::keychain() { return *parts_->keychain; }
api::ApiClient& CompositionRoot::api() { return *parts_->api; }
platform::NotificationCenter& CompositionRoot::notifications() { return parts_->notifications; }
platform::UrlOpener& CompositionRoot::opener() { return *parts_->opener; }
platform::VpnService& CompositionRoot::vpn() { return *parts_->tunnel.vpn; }
platform::TunnelDaemon* CompositionRoot::tunnelDaemon() { return parts_->tunnel.daemon.get(); }
tunnelcore::TunnelCore* CompositionRoot::tunnelCore() { return parts_->core.get(); }
const std::string& CompositionRoot::tunnelCoreError() const { return parts_->coreError; }
platform::AppLifecycle* CompositionRoot::lifecycle() { return parts_->lifecycle.get(); }
platform::UrlLoader& CompositionRoot::urlLoader() { return *parts_->loader; }

int CompositionRoot::requestsInFlight() const { return parts_->loader->inFlight(); }

}  // namespace corvane::app
