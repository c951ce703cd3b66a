#include "daemon/engines/transparent/transparent_routing.h"

#include <sys/socket.h>

#include "daemon/net/routing_ids.h"

namespace corvane::daemon::engines::transparent {
namespace {

net::IpPrefix everything() { return *net::IpPrefix::parse("0.0.0.0/0"); }

}  // namespace

Result<void> TransparentRouting::apply() {
  const int loopback = netlink_.linkIndex("lo");
  if (loopback == 0) return Error("Transparent", 0, "no loopback interface");
  if (auto added = netlink_.addLocalRoute(loopback, everything(), net::kTransparentTable); !added) return added;
  (void)netlink_.deleteRules(AF_INET, net::kTransparentRulePriority);
  net::PolicyRule rule;
  rule.family = AF_INET;
  rule.priority = net::kTransparentRulePriority;
  rule.table = net::kTransparentTable;
  rule.fwmark = net::kTransparentMark;
  return netlink_.addRule(rule);
}

void TransparentRouting::remove() {
  (void)netlink_.deleteRules(AF_INET, net::kTransparentRulePriority);
  (void)netlink_.deleteLocalRoute(everything(), net::kTransparentTable);
}

}  // namespace corvane::daemon::engines::transparent
