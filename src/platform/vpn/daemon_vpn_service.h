#pragma once
// The VPN service over the tunnel service: managers are loaded from and saved to it, and each
// change of the slot's status is posted as kVpnStatusDidChangeNotification on the main loop
// (the daemon's observers run there).
#include <memory>

#include "platform/notifications/notification_center.h"
#include "platform/vpn/daemon_observation.h"
#include "platform/vpn/tunnel_daemon.h"
#include "platform/vpn/vpn_service.h"

namespace corvane::platform {

class DaemonVpnService final : public VpnService {
 public:
  DaemonVpnService(TunnelDaemon& daemon, NotificationCenter& notifications);

  void loadAllFromPreferences(LoadCompletion completion) override;
  std::shared_ptr<TunnelProviderManager> makeManager() override;

 private:
  TunnelDaemon& daemon_;
  NotificationCenter& notifications_;
  VpnStatus lastStatus_ = VpnStatus::invalid;
  DaemonObservation observation_;
};

}  // namespace corvane::platform
