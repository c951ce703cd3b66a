#pragma once
// The daemon's one nftables table, set and removed with `nft -f -` (the ruleset on stdin, no
// shell). While a tunnel is up it lets traffic out only through the tunnel (no leak of IPv4,
// IPv6 or DNS around it); while the kill switch blocks, only to the engine's server.
#include <filesystem>
#include <string>

#include "daemon/firewall/firewall_policy.h"
#include "platform/core/result.h"

namespace corvane::daemon::firewall {

class Firewall {
 public:
  // `programDir` empty: nft is looked up in the usual PATH of a root service.
  explicit Firewall(std::filesystem::path programDir = {}) : programDir_(std::move(programDir)) {}

  Result<void> apply(const FirewallPolicy& policy);
  Result<void> clear();
  // Whether the table is in place (as the daemon last set it).
  bool active() const { return active_; }

 private:
  Result<void> run(const std::string& ruleset);

  std::filesystem::path programDir_;
  bool active_ = false;
};

}  // namespace corvane::daemon::firewall
