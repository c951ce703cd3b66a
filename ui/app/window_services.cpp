#include "ui/app/window_services.h"

#include <stdexcept>

#include "platform/device/linux/linux_device_info.h"
#include "platform/host/linux/getaddrinfo_host_resolver.h"
#include "platform/icmp/linux/linux_icmp_socket_factory.h"
#include "platform/lifecycle/notification_app_lifecycle.h"
#include "platform/mainloop/asio/global_queue.h"
#include "platform/mainloop/asio/serial_queue.h"
#include "platform/paths/paths.h"
#include "platform/preferences/preference_suite.h"
#include "platform/secitem/sec_item_backend_factory.h"
#include "platform/url/curl_url_loader.h"
#include "platform/vpn/no_vpn_service.h"
#include "app/content_view.h"
#include "securestore/keychain_store.h"
#include "screenkit/latency_services.h"
#include "ui/loop/qt_main_loop.h"

namespace corvane::ui {

struct WindowServices::Parts {
  platform::Paths paths = platform::Paths::fromEnvironment();
  platform::Log log = platform::Log::standard("corvane", platform::Log::Level::info);
  std::unique_ptr<platform::SqlitePreferenceStore> standardStore;
  std::unique_ptr<platform::SqlitePreferenceStore> groupStore;
  std::optional<keys::Preferences> preferences;
  std::optional<keys::Preferences> groupPreferences;
  std::unique_ptr<platform::SecItemBackend> secItems;
  std::unique_ptr<securestore::KeychainStore> keychain;
  platform::LinuxDeviceInfo device;
  platform::CurlUrlLoader loader{platform::CurlUrlLoader::Options::fromEnvironment(), log};
  std::unique_ptr<api::ApiClient> api;
  platform::NotificationCenter notifications;
  std::unique_ptr<platform::UrlOpener> opener;
  std::unique_ptr<platform::NoVpnService> vpn;
  platform::GetaddrinfoHostResolver resolver;
  platform::LinuxIcmpSocketFactory sockets;
  std::unique_ptr<platform::NotificationAppLifecycle> lifecycle;
  std::unique_ptr<screenkit::LatencyServices> latency;
};

WindowServices::WindowServices(QtMainLoop& loop, std::unique_ptr<platform::UrlOpener> opener,
                               std::string localeIdentifier)
    : loop_(loop), parts_(std::make_unique<Parts>()), localeIdentifier_(std::move(localeIdentifier)) {
  Parts& p = *parts_;
  auto standard = platform::openPreferenceStore(p.paths, platform::PreferenceSuite::standard, p.log);
  if (!standard) throw std::runtime_error("cannot open preferences: " + standard.error().toString());
  p.standardStore = std::move(*standard);
  p.preferences.emplace(*p.standardStore);
  // Without the group store the credential copies are skipped, as the login screen allows.
  if (auto group = platform::openPreferenceStore(p.paths, platform::PreferenceSuite::appGroup, p.log)) {
    p.groupStore = std::move(*group);
    p.groupPreferences.emplace(*p.groupStore);
  }
  p.secItems = platform::makeSecItemBackend(p.paths, p.log);
  p.keychain = std::make_unique<securestore::KeychainStore>(
      *p.secItems, p.log, std::string(securestore::KeychainStore::kApplicationService));
  p.api = std::make_unique<api::ApiClient>(*p.standardStore, *p.keychain, p.device, p.loader, p.log);
  p.opener = std::move(opener);
  p.vpn = std::make_unique<platform::NoVpnService>(loop_);
  p.lifecycle = std::make_unique<platform::NotificationAppLifecycle>(p.notifications);
  auto& pool = platform::GlobalQueue::shared();
  ping::EchoPingerServices pinger{
      .mainLoop = loop_,
      .sockets = p.sockets,
      .makeSerialQueue = [&pool] { return std::make_unique<platform::SerialQueue>(pool); },
      .lifecycle = p.lifecycle.get(),
      .log = p.log};
  p.latency = std::make_unique<screenkit::LatencyServices>(
      screenkit::LatencyServices{std::move(pinger), p.resolver, pool});
}

WindowServices::~WindowServices() = default;

platform::AppLifecycle& WindowServices::lifecycle() { return *parts_->lifecycle; }

screenkit::Services WindowServices::services() {
  Parts& p = *parts_;
  return screenkit::Services{.preferences = *p.preferences,
                       .groupPreferences = p.groupPreferences ? &*p.groupPreferences : nullptr,
                       .keychain = *p.keychain,
                       .api = *p.api,
                       .notifications = p.notifications,
                       .mainLoop = loop_,
                       .opener = *p.opener,
                       .vpn = *p.vpn,
                       .log = p.log,
                       .latency = p.latency.get(),
                       .localeIdentifier = localeIdentifier_,
                       .makeRoot = [](screenkit::Services services)
                           -> std::unique_ptr<screenkit::ScreenModel> {
                         return std::make_unique<app::ContentView>(std::move(services));
                       }};
}

}  // namespace corvane::ui
