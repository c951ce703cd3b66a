#pragma once
// The manager a VPN service without a tunnel service hands out: its settings can be edited,
// but it cannot be saved or started (each refuses with "VPNError"), and its tunnel is never up.
#include "platform/vpn/tunnel_provider_manager.h"

namespace corvane::platform {

class UnavailableTunnelProviderManager final : public TunnelProviderManager {
 public:
  VpnStatus connectionStatus() const override { return VpnStatus::invalid; }
};

}  // namespace corvane::platform
