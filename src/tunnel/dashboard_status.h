#pragma once
// The dashboard's status: the rows it draws from "VPNStatus", the dashboard's own `status`,
// the server and protocol preferences, the public address from the IP echo and the speeds
// of its command client; the connecting animation; announcements and the account notice.
#include <cstdint>
#include <optional>
#include <string>

#include "platform/vpn/daemon_observation.h"
#include "platform/vpn/tunnel_provider_manager.h"
#include "screenkit/screen_model.h"
#include "tunnel/dashboard_rows.h"
#include "tunnelcore/command_client.h"
#include "tunnelcore/tunnel_core.h"

namespace corvane::tunnel {

class DashboardStatus : public screenkit::ScreenModel {
 public:
  static constexpr const char* kNoAddress = "---.--.-.--";
  static constexpr double kAnimationSeconds = 0.3;

  DashboardStatus(screenkit::Services services, tunnelcore::TunnelCore& core);
  ~DashboardStatus() override;

  std::optional<std::string> currentIpAddress;
  tunnelcore::CommandClient commandClient;
  bool openVPNSelected = false;
  bool WireGuardSelected = false;
  bool ssSelected = false;
  bool v2raySelecetd = false;
  std::string anntitle;
  std::string anntext;
  std::string announcementOne;
  std::string animation = "Connecting1";
  std::optional<platform::VpnStatus> status;
  std::shared_ptr<platform::TunnelProviderManager> vpnManagerEnterprise;

  void onShown();
  void onHidden();
  // The scene became active (true) or not.
  void scenePhaseActive(bool active);

  DashboardRows rows() const;
  // The big power image as drawn now: while connecting, the connecting animation's frame.
  std::string powerFrame() const;
  // Asks the IP echo again (each show, and when the tunnel comes up or goes down, when the
  // address shown is cleared first). Only the latest lookup's answer is shown.
  void lookUpAddress();
  // True until the latest lookup has answered (or failed).
  bool lookingUpAddress() const { return answeredLookup_ != addressLookups_; }
  bool animating() const { return animationTimer_ != 0; }

 private:
  void readProtocolFlags();
  void refreshAccount();
  void loadManagers();
  void vpnStatusDidChange();
  void startAnimationIfShown();
  void tick();

  tunnelcore::TunnelCore& core_;
  platform::TimerId animationTimer_ = 0;
  int animationCounter_ = 1;
  std::string animationKeptText_;
  // Whether the tunnel was up at its last settled status (connected or disconnected).
  bool wasUp_ = false;
  std::uint64_t addressLookups_ = 0;
  std::uint64_t answeredLookup_ = 0;
  platform::ObserverRegistration statusObserver_;
  platform::DaemonObservation slotStatus_;
};

}  // namespace corvane::tunnel
