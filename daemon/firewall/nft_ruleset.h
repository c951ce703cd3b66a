#pragma once
// The nftables text of the daemon's table for a policy: one inet table with an output
// chain whose policy is drop. Replacing it is one transaction ("add, delete, define"), so
// there is no moment without the table while it changes.
#include <string>
#include <string_view>

#include "daemon/firewall/firewall_policy.h"

namespace corvane::daemon::firewall {

inline constexpr std::string_view kTableName = "corvane_tunneld";

std::string nftRuleset(const FirewallPolicy& policy);
// Removes the table; the "add" first makes the delete succeed when there is none.
std::string nftRemoval();

}  // namespace corvane::daemon::firewall
