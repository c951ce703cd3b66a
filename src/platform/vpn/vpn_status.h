#pragma once
// The platform's VPN connection status values, 0 to 5, as the tunnel service reports them.
#include <cstdint>

namespace corvane::platform {

enum class VpnStatus : std::int64_t {
  invalid = 0,
  disconnected = 1,
  connecting = 2,
  connected = 3,
  reasserting = 4,
  disconnecting = 5,
};

// Posted on the NotificationCenter whenever a manager's connection status changes.
inline constexpr const char* kVpnStatusDidChangeNotification = "VPNStatusDidChange";

}  // namespace corvane::platform
