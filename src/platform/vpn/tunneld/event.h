#pragma once
// One event line on a subscribed connection: a status change, or the traffic of the last
// second while a tunnel runs.
#include <optional>

#include "platform/vpn/tunneld/traffic.h"
#include "platform/vpn/tunneld/tunnel_status.h"

namespace corvane::platform::tunneld {

struct Event {
  std::optional<TunnelStatus> status;  // {"event":"status",...}
  std::optional<Traffic> traffic;      // {"event":"traffic",...}
  friend bool operator==(const Event&, const Event&) = default;
};

}  // namespace corvane::platform::tunneld
