#pragma once
// What a tunnel provider manager saves with the VPN service.
#include <optional>
#include <string>
#include <vector>

#include "platform/vpn/on_demand_rule.h"
#include "platform/vpn/tunnel_provider_protocol.h"

namespace corvane::platform {

struct ManagerSettings {
  std::string id;  // given by the service on the first save; empty before
  std::optional<TunnelProviderProtocol> protocolConfiguration;
  std::string localizedDescription;
  bool isEnabled = false;
  bool isOnDemandEnabled = false;
  std::vector<OnDemandRule> onDemandRules;

  friend bool operator==(const ManagerSettings&, const ManagerSettings&) = default;
};

}  // namespace corvane::platform
