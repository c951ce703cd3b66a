#pragma once
// The power button: connects and disconnects, answers the server picker's "ConnectFromServer"
// and "disConnectFromServer", and turns every status change of the tunnel into the word
// stored under "VPNStatus". OpenVPN goes through the provider manager, every other protocol
// through the tunnel core's extension profile. Whether a tunnel is up is the extension
// profile's status, which is the tunnel service's one slot: it covers an OpenVPN tunnel too.
#include <memory>
#include <optional>
#include <string>

#include "platform/notifications/notification_center.h"
#include "platform/vpn/daemon_observation.h"
#include "platform/vpn/tunnel_provider_manager.h"
#include "screenkit/screen_model.h"
#include "tunnelcore/tunnel_core.h"

namespace corvane::tunnel {

class ConnectButton : public screenkit::ScreenModel {
 public:
  // How the button looks for a status: image and label are empty for "reasserting".
  struct Look {
    std::string image;
    std::string label;
    bool disabled = false;
  };
  static Look lookFor(platform::VpnStatus status);

  ConnectButton(screenkit::Services services, tunnelcore::TunnelCore& core);
  ~ConnectButton() override;

  // The title of an alert to show (a failed start), or none.
  std::optional<std::string> alert;
  // The manager OpenVPN runs through; the kill switch edits the same one. The first saved
  // manager once loaded, a new unsaved one before.
  std::shared_ptr<platform::TunnelProviderManager> providerManager;

  Look look() const { return lookFor(core_.extensionProfile.vpnStatus()); }
  void dismissAlert() { alert.reset(); changed(); }

  void pressPower();
  void toggleTunnel(bool active);

 private:
  void toggleFromStatus();
  void stopTunnel();
  void connectOpenVPN(const std::string& configuration);
  void statusChanged(platform::VpnStatus status);

  tunnelcore::TunnelCore& core_;
  platform::ObserverRegistration connectFromServer_;
  platform::ObserverRegistration disconnectFromServer_;
  platform::DaemonObservation statusObservation_;
};

}  // namespace corvane::tunnel
