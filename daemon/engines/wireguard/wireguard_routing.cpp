#include "daemon/engines/wireguard/wireguard_routing.h"

#include <fcntl.h>
#include <fmt/format.h>
#include <sys/socket.h>
#include <unistd.h>

#include "daemon/net/routing_ids.h"

namespace corvane::daemon::engines::wireguard {
namespace {

constexpr std::uint32_t kMainTable = 254;

bool routesAll(const WireGuardConfig& config, bool ipv6) {
  for (const auto& peer : config.peers) {
    for (const auto& prefix : peer.allowedIps) {
      if (prefix.length == 0 && prefix.isIpv6() == ipv6) return true;
    }
  }
  return false;
}

// Reverse-path filtering drops the tunnel's replies unless the mark counts in the route
// lookup of the source check; wg-quick sets the same switch.
void enableSourceValidMark() {
  int fd = open("/proc/sys/net/ipv4/conf/all/src_valid_mark", O_WRONLY | O_CLOEXEC);
  if (fd < 0) return;
  (void)!write(fd, "1", 1);
  close(fd);
}

}  // namespace

bool WireGuardRouting::routesAllIpv4(const WireGuardConfig& config) { return routesAll(config, false); }
bool WireGuardRouting::routesAllIpv6(const WireGuardConfig& config) { return routesAll(config, true); }

Result<void> WireGuardRouting::apply(const WireGuardConfig& config, const std::string& interfaceName) {
  int index = netlink_.linkIndex(interfaceName);
  if (index == 0) return Error("WireGuard", 0, fmt::format("interface {} is gone", interfaceName));
  for (const auto& address : config.addresses) {
    if (auto added = netlink_.addAddress(index, address); !added) return added;
  }
  if (auto up = netlink_.setLinkUp(index, config.mtu.value_or(kDefaultMtu)); !up) return up;
  for (const auto& peer : config.peers) {
    for (const auto& prefix : peer.allowedIps) {
      if (prefix.length == 0) continue;
      if (auto added = netlink_.addRoute(index, prefix, kMainTable); !added) return added;
    }
  }
  if (routesAllIpv4(config)) {
    enableSourceValidMark();
    if (auto added = addFullTunnel(AF_INET, index); !added) return added;
  }
  if (routesAllIpv6(config)) {
    if (auto added = addFullTunnel(AF_INET6, index); !added) return added;
  }
  return Result<void>::success();
}

Result<void> WireGuardRouting::addFullTunnel(int family, int index) {
  net::IpPrefix everything;
  everything.family = family;
  everything.length = 0;
  if (auto added = netlink_.addRoute(index, everything, net::kTunnelTable); !added) return added;
  // Leftovers of an earlier run at our priorities would make the adds fail with EEXIST.
  (void)netlink_.deleteRules(family, net::kTunnelRulePriority);
  (void)netlink_.deleteRules(family, net::kSuppressRulePriority);
  net::PolicyRule toTunnel;
  toTunnel.family = family;
  toTunnel.priority = net::kTunnelRulePriority;
  toTunnel.table = net::kTunnelTable;
  toTunnel.fwmark = net::kTunnelMark;
  toTunnel.invert = true;
  if (auto added = netlink_.addRule(toTunnel); !added) return added;
  net::PolicyRule suppress;
  suppress.family = family;
  suppress.priority = net::kSuppressRulePriority;
  suppress.table = kMainTable;
  suppress.suppressPrefixLength = 0;
  return netlink_.addRule(suppress);
}

void WireGuardRouting::remove() {
  for (int family : {AF_INET, AF_INET6}) {
    (void)netlink_.deleteRules(family, net::kTunnelRulePriority);
    (void)netlink_.deleteRules(family, net::kSuppressRulePriority);
  }
}

}  // namespace corvane::daemon::engines::wireguard
