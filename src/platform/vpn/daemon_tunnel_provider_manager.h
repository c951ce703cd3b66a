#pragma once
// A tunnel provider manager kept by the tunnel service: load and save go to the service, the
// connection is the service's one tunnel slot.
#include <memory>

#include "platform/vpn/tunnel_daemon.h"
#include "platform/vpn/tunnel_provider_manager.h"

namespace corvane::platform {

// Made with std::make_shared only: an answer keeps the manager alive until it arrives.
class DaemonTunnelProviderManager final : public TunnelProviderManager,
                                          public std::enable_shared_from_this<DaemonTunnelProviderManager> {
 public:
  DaemonTunnelProviderManager(TunnelDaemon& daemon, ManagerSettings saved) : daemon_(daemon) {
    settings = std::move(saved);
  }

  // The slot's status.
  VpnStatus connectionStatus() const override;
  void loadFromPreferences(Completion completion) override;
  void saveToPreferences(Completion completion) override;
  // Refused at once when the manager was never saved or is disabled.
  Result<void> startVPNTunnel() override;
  void stopVPNTunnel() override;

 private:
  TunnelDaemon& daemon_;
};

}  // namespace corvane::platform
