#pragma once
// The platform VPN service as the screens see it: the tunnel provider managers saved for
// this app, and (through kVpnStatusDidChangeNotification) their status changes. The tunnel
// service client implements it; where no tunnel service answers, NoVpnService stands in.
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/core/error.h"
#include "platform/vpn/tunnel_provider_manager.h"
#include "platform/vpn/unavailable_tunnel_provider_manager.h"

namespace corvane::platform {

class VpnService {
 public:
  using Managers = std::vector<std::shared_ptr<TunnelProviderManager>>;
  // Runs on the main loop with the managers, or with an error when they cannot be loaded.
  using LoadCompletion = std::function<void(Managers, std::optional<Error>)>;

  virtual ~VpnService() = default;
  virtual void loadAllFromPreferences(LoadCompletion completion) = 0;
  // A new manager, not saved yet.
  virtual std::shared_ptr<TunnelProviderManager> makeManager() {
    return std::make_shared<UnavailableTunnelProviderManager>();
  }
};

}  // namespace corvane::platform
