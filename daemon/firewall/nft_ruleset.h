#pragma once
// The nftables definition of the daemon's table for a policy: one inet table whose output and
// input chains drop what the policy does not name. net::Nftables::replaceTable swaps it in
// one transaction, so there is no moment without the table while it changes.
#include <string>
#include <string_view>

#include "daemon/firewall/firewall_policy.h"

namespace corvane::daemon::firewall {

inline constexpr std::string_view kTableName = "corvane_tunneld";

std::string nftRuleset(const FirewallPolicy& policy);

}  // namespace corvane::daemon::firewall
