#include "tunnel/connect_button.h"

#include "keys/notification_names.h"
#include "keys/preference_key.h"
#include "keys/tunnel_status_text.h"
#include "tunnel/open_vpn_protocol.h"

namespace corvane::tunnel {

using platform::VpnStatus;

ConnectButton::Look ConnectButton::lookFor(VpnStatus status) {
  Look look;
  switch (status) {
    case VpnStatus::connected: look = {"connected-power", "Disconnect", false}; break;
    case VpnStatus::connecting: look = {"connecting-cricle", "Connecting...", true}; break;
    case VpnStatus::invalid: look = {"Power", "Connect", true}; break;
    case VpnStatus::disconnected: look = {"Power", "Connect", false}; break;
    case VpnStatus::reasserting: look = {"", "", true}; break;
    case VpnStatus::disconnecting: look = {"Power", "Connect", true}; break;
  }
  return look;
}

ConnectButton::ConnectButton(screenkit::Services services, tunnelcore::TunnelCore& core)
    : ScreenModel(std::move(services)), providerManager(services_.vpn.makeManager()), core_(core) {
  auto& center = services_.notifications;
  connectFromServer_ = platform::ObserverRegistration(
      center, center.addObserver(std::string(keys::kConnectFromServer), [this] {
        if (core_.extensionProfile.vpnStatus() == VpnStatus::connected) stopTunnel();
        // The service needs a moment to take the old tunnel down before the next one.
        after(platform::seconds(1.0), [this] { toggleFromStatus(); });
      }));
  disconnectFromServer_ = platform::ObserverRegistration(
      center, center.addObserver(std::string(keys::kDisconnectFromServer), [this] { stopTunnel(); }));
  statusObservation_ = core_.extensionProfile.observeStatus([this](VpnStatus status) { statusChanged(status); });
  // The stored word is written on changes only: one that happened while no app ran (the
  // engine died, another client stopped or started the tunnel) left it behind, and the
  // dashboard would show "Connected" over a tunnel that is down. The service's word wins.
  if (const VpnStatus now = core_.extensionProfile.vpnStatus(); now != VpnStatus::invalid) {
    if (auto text = keys::TunnelStatusText::of(now)) {
      services_.preferences.setIfChanged(keys::pref::vpnStatus, std::string(*text));
    }
  }
  // Adopt the saved manager, so the kill switch and OpenVPN keep editing one manager instead
  // of saving a new one on every launch.
  services_.vpn.loadAllFromPreferences([this, alive = lifetime()](platform::VpnService::Managers managers,
                                                                  std::optional<Error> error) {
    if (!alive.lock() || error || managers.empty()) return;
    if (providerManager->settings.id.empty()) providerManager = managers.front();
    changed();
  });
}

ConnectButton::~ConnectButton() = default;

void ConnectButton::statusChanged(VpnStatus status) {
  services_.log.info("onVPNStatusChanged-working");
  if (auto text = keys::TunnelStatusText::of(status)) {
    services_.preferences.set(keys::pref::vpnStatus, std::string(*text));
    services_.log.info(std::string(*text));
  }
  changed();
}

void ConnectButton::pressPower() {
  if (!services_.preferences.get(keys::pref::initialServerSelected)) {
    services_.notifications.post(keys::kInitialServerSelected);
    return;
  }
  onMainLoop([this] { toggleFromStatus(); });
}

void ConnectButton::toggleFromStatus() {
  const VpnStatus status = core_.extensionProfile.vpnStatus();
  const bool active = status == VpnStatus::connecting || status == VpnStatus::connected ||
                      status == VpnStatus::reasserting || status == VpnStatus::disconnecting;
  toggleTunnel(active);
}

void ConnectButton::toggleTunnel(bool active) {
  const bool openVPN = services_.preferences.get(keys::pref::openVPN);
  const std::string configuration = services_.preferences.get(keys::pref::config).value_or("{}");
  // The text carries private keys and passwords: the log gets its size only.
  services_.log.info("profileConfig1111 (" + std::to_string(configuration.size()) + " bytes)");
  if (active) {
    stopTunnel();
    return;
  }
  if (openVPN) {
    connectOpenVPN(configuration);
    return;
  }
  core_.extensionProfile.start([this, alive = lifetime()](Result<void> started) {
    if (!alive.lock()) return;
    if (!started) {
      alert = started.error().description.empty() ? started.error().domain : started.error().description;
    } else {
      core_.environments.sharedClient.connect();
    }
    changed();
  });
}

void ConnectButton::stopTunnel() {
  if (services_.preferences.get(keys::pref::openVPN)) {
    providerManager->stopVPNTunnel();
    return;
  }
  core_.extensionProfile.stop();
  if (services_.preferences.get(keys::pref::wireGuard)) {
    // Tells the service the server's WireGuard slot is free; the answer changes nothing here.
    services_.api.fetchWireGuardConfig(services_.preferences.get(keys::pref::vpnServerID),
                                       services_.preferences.get(keys::pref::ipID), 0, [](Result<void>) {});
  }
}

void ConnectButton::connectOpenVPN(const std::string& configuration) {
  // Each step runs in the completion of the one before; an error is logged and ends it.
  auto log = services_.log;
  auto fail = [log](const Error& error) { log.error(error.description.empty() ? error.toString() : error.description); };
  services_.vpn.loadAllFromPreferences([this, alive = lifetime(), configuration, fail](
                                           platform::VpnService::Managers managers, std::optional<Error> error) {
    if (!alive.lock()) return;
    if (error) return fail(*error);
    providerManager = managers.empty() ? services_.vpn.makeManager() : managers.front();
    auto manager = providerManager;
    manager->loadFromPreferences([this, alive, manager, configuration, fail](std::optional<Error> error) {
      if (!alive.lock()) return;
      if (error) return fail(*error);
      manager->settings.protocolConfiguration = makeOpenVPNProtocol(configuration);
      manager->settings.localizedDescription = "CorvaneVPN";
      manager->settings.isEnabled = true;
      manager->saveToPreferences([this, alive, manager, fail](std::optional<Error> error) {
        if (!alive.lock()) return;
        if (error) return fail(*error);
        manager->loadFromPreferences([this, alive, manager, fail](std::optional<Error> error) {
          if (!alive.lock()) return;
          if (error) return fail(*error);
          if (auto started = manager->startVPNTunnel(); !started) {
            services_.log.error("catch " + started.error().description);
          }
          changed();
        });
      });
    });
  });
}

}  // namespace corvane::tunnel
