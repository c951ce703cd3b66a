#include "daemon/firewall/firewall.h"

#include "daemon/firewall/nft_ruleset.h"
#include "daemon/net/nftables.h"

namespace corvane::daemon::firewall {

Result<void> Firewall::apply(const FirewallPolicy& policy) {
  auto done = net::Nftables::replaceTable("inet", kTableName, nftRuleset(policy));
  if (!done) return done.error();
  active_ = true;
  return Result<void>::success();
}

Result<void> Firewall::clear() {
  auto done = net::Nftables::removeTable("inet", kTableName);
  if (!done) return done.error();
  active_ = false;
  return Result<void>::success();
}

}  // namespace corvane::daemon::firewall
