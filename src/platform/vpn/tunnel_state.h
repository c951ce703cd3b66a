#pragma once
// The tunnel service's one tunnel slot as last reported: the same whichever way the tunnel
// was started (a provider manager or a profile).
#include <cstdint>
#include <optional>
#include <string>

#include "platform/vpn/vpn_status.h"

namespace corvane::platform {

struct LoopbackProxy {
  std::string host;
  int port = 0;
  friend bool operator==(const LoopbackProxy&, const LoopbackProxy&) = default;
};

struct TunnelState {
  VpnStatus status = VpnStatus::invalid;
  std::string engine;       // "wireguard", "openvpn", "shadowsocks", "v2ray"; empty when idle
  std::string startedBy;    // "manager" or "profile"
  std::string managerId;
  std::string tunnelAddress;
  std::string interfaceName;
  std::int64_t rxBytes = 0;
  std::int64_t txBytes = 0;
  std::optional<LoopbackProxy> proxy;  // Shadowsocks and V2ray offer one on loopback
  bool killSwitch = false;             // traffic outside the tunnel is blocked right now
  std::string lastError;

  friend bool operator==(const TunnelState&, const TunnelState&) = default;
};

}  // namespace corvane::platform
