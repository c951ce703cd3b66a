#pragma once
// The daemon's one nftables table, set and removed in one libnftables transaction each. While a tunnel is up it lets traffic out only through the tunnel (no leak of IPv4,
// IPv6 or DNS around it); while the kill switch blocks, only to the engine's server.
#include "daemon/firewall/firewall_policy.h"
#include "platform/core/result.h"

namespace corvane::daemon::firewall {

class Firewall {
 public:
  Result<void> apply(const FirewallPolicy& policy);
  Result<void> clear();
  // Whether the table is in place (as the daemon last set it).
  bool active() const { return active_; }

 private:
  bool active_ = false;
};

}  // namespace corvane::daemon::firewall
