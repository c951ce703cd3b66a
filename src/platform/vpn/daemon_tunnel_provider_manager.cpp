#include "platform/vpn/daemon_tunnel_provider_manager.h"

#include <algorithm>

namespace corvane::platform {

VpnStatus DaemonTunnelProviderManager::connectionStatus() const {
  // The service has one tunnel slot: every manager's connection is that slot, whichever way
  // its tunnel was started. Reporting "disconnected" for a profile-started tunnel would make
  // the screens that watch a manager store "Disconnected" over a running tunnel.
  return daemon_.state().status;
}

void DaemonTunnelProviderManager::loadFromPreferences(Completion completion) {
  if (settings.id.empty()) {
    // Nothing saved yet: what the caller edits is all there is.
    completion(std::nullopt);
    return;
  }
  daemon_.listManagers([this, self = shared_from_this(), completion = std::move(completion)](Result<std::vector<ManagerSettings>> list) {
    if (!list) {
      completion(list.error());
      return;
    }
    const auto found = std::find_if(list->begin(), list->end(), [&](const auto& m) { return m.id == settings.id; });
    if (found == list->end()) {
      completion(Error("VPNError", 2, "the manager '" + settings.id + "' is no longer saved"));
      return;
    }
    settings = *found;
    completion(std::nullopt);
  });
}

void DaemonTunnelProviderManager::saveToPreferences(Completion completion) {
  daemon_.saveManager(settings, [this, self = shared_from_this(), completion = std::move(completion)](Result<ManagerSettings> saved) {
    if (!saved) {
      if (completion) completion(saved.error());
      return;
    }
    settings = std::move(*saved);
    if (completion) completion(std::nullopt);
  });
}

Result<void> DaemonTunnelProviderManager::startVPNTunnel() {
  if (settings.id.empty()) return Error("VPNError", 3, "the configuration was never saved");
  if (!settings.isEnabled) return Error("VPNError", 4, "the configuration is disabled");
  // Acceptance arrives later; a refused start shows as the slot going back to disconnected.
  daemon_.startManager(settings.id, [](Result<void>) {});
  return {};
}

void DaemonTunnelProviderManager::stopVPNTunnel() {
  daemon_.stop([](Result<void>) {});
}

}  // namespace corvane::platform
