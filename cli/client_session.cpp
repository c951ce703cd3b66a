#include "client_session.h"

#include <stdexcept>

#include "app/content_view.h"
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
#include "screenkit/localization.h"
#include "securestore/keychain_store.h"
#include "screenkit/latency_services.h"

namespace corvane::cli {

struct ClientSession::Parts {
  platform::Paths paths = platform::Paths::fromEnvironment();
  // The CLI keeps stderr for errors; diagnostics go to the log file only.
  platform::Log log = platform::Log::standard("corvanectl", platform::Log::Level::error);
  std::unique_ptr<platform::SqlitePreferenceStore> standardStore;
  std::unique_ptr<platform::SqlitePreferenceStore> groupStore;
  std::optional<keys::Preferences> preferences;
  std::optional<keys::Preferences> groupPreferences;
  std::unique_ptr<platform::SecItemBackend> secItems;
  std::unique_ptr<securestore::KeychainStore> keychain;
  platform::LinuxDeviceInfo device;
  platform::CurlUrlLoader curl{platform::CurlUrlLoader::Options::fromEnvironment(), log};
  std::unique_ptr<TrackingUrlLoader> loader;
  std::unique_ptr<api::ApiClient> api;
  platform::NotificationCenter notifications;
  std::unique_ptr<platform::UrlOpener> opener;
  platform::RecordingUrlOpener* recorder = nullptr;
  std::unique_ptr<platform::NoVpnService> vpn;
  // Echo engine, only for commands that measure latency.
  platform::GetaddrinfoHostResolver resolver;
  platform::LinuxIcmpSocketFactory sockets;
  std::unique_ptr<platform::NotificationAppLifecycle> lifecycle;
  std::unique_ptr<screenkit::LatencyServices> latency;
};

ClientSession::ClientSession(Options options) : parts_(std::make_unique<Parts>()) {
  Parts& p = *parts_;
  p.loader = std::make_unique<TrackingUrlLoader>(p.curl, [this] { loop_.post([] {}); });
  auto standard = platform::openPreferenceStore(p.paths, platform::PreferenceSuite::standard, p.log);
  if (!standard) throw std::runtime_error("cannot open preferences: " + standard.error().toString());
  p.standardStore = std::move(*standard);
  p.preferences.emplace(*p.standardStore);
  preferences_ = &*p.preferences;
  // Without the group store the credential copies are skipped, as the login screen allows.
  if (auto group = platform::openPreferenceStore(p.paths, platform::PreferenceSuite::appGroup, p.log)) {
    p.groupStore = std::move(*group);
    p.groupPreferences.emplace(*p.groupStore);
  }
  p.secItems = platform::makeSecItemBackend(p.paths, p.log);
  p.keychain = std::make_unique<securestore::KeychainStore>(
      *p.secItems, p.log, std::string(securestore::KeychainStore::kApplicationService));
  p.api = std::make_unique<api::ApiClient>(*p.standardStore, *p.keychain, p.device, *p.loader, p.log);
  if (platform::desktopAvailable()) {
    p.opener = std::make_unique<platform::XdgUrlOpener>(p.log);
  } else {
    auto recorder = std::make_unique<platform::RecordingUrlOpener>();
    p.recorder = recorder.get();
    p.opener = std::move(recorder);
  }
  p.vpn = std::make_unique<platform::NoVpnService>(loop_);
  if (options.withLatency) {
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
}

ClientSession::~ClientSession() {
  // Screen models taken off screen are destroyed on a later loop turn (screenkit::retire); run
  // those turns now, while the notification centre they unregister from still exists.
  loop_.runFor(std::chrono::milliseconds(50));
}

screenkit::Services ClientSession::services() {
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
                       .localeIdentifier = screenkit::Localization::fromEnvironment().localeIdentifier(),
                       .makeRoot = [](screenkit::Services services) -> std::unique_ptr<screenkit::ScreenModel> {
                         return std::make_unique<app::ContentView>(std::move(services));
                       }};
}

platform::UrlLoader& ClientSession::urlLoader() { return *parts_->loader; }

bool ClientSession::runUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  return loop_.runUntil(done, limit);
}

bool ClientSession::drainRequests(std::chrono::milliseconds limit) {
  return loop_.runUntil([this] { return parts_->loader->inFlight() == 0; }, limit);
}

std::vector<std::string> ClientSession::recordedUrls() const {
  return parts_->recorder != nullptr ? parts_->recorder->opened() : std::vector<std::string>{};
}

}  // namespace corvane::cli
