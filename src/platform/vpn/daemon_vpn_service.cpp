#include "platform/vpn/daemon_vpn_service.h"

#include "platform/vpn/daemon_tunnel_provider_manager.h"

namespace corvane::platform {

DaemonVpnService::DaemonVpnService(TunnelDaemon& daemon, NotificationCenter& notifications)
    : daemon_(daemon), notifications_(notifications), lastStatus_(daemon.state().status) {
  observation_ = DaemonObservation(daemon_, daemon_.observe(
                                                [this](const TunnelState& state) {
                                                  // Traffic counters change the state too; only
                                                  // a new status value is a status change.
                                                  if (state.status == lastStatus_) return;
                                                  lastStatus_ = state.status;
                                                  notifications_.post(kVpnStatusDidChangeNotification);
                                                },
                                                nullptr));
}

void DaemonVpnService::loadAllFromPreferences(LoadCompletion completion) {
  daemon_.listManagers([&daemon = daemon_, completion = std::move(completion)](Result<std::vector<ManagerSettings>> list) {
    if (!list) {
      completion({}, list.error());
      return;
    }
    Managers managers;
    for (auto& settings : *list) {
      managers.push_back(std::make_shared<DaemonTunnelProviderManager>(daemon, std::move(settings)));
    }
    completion(std::move(managers), std::nullopt);
  });
}

std::shared_ptr<TunnelProviderManager> DaemonVpnService::makeManager() {
  return std::make_shared<DaemonTunnelProviderManager>(daemon_, ManagerSettings{});
}

}  // namespace corvane::platform
