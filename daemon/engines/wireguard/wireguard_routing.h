#pragma once
// The data path of a WireGuard interface once wireguard-go has made it: addresses, MTU, link
// up, routes for AllowedIPs, and for a /0 the policy rules wg-quick would add (without its
// shell): "not fwmark T table T" and "table main suppress_prefixlength 0".
#include <string>

#include "daemon/engines/wireguard/wireguard_config.h"
#include "daemon/net/netlink.h"
#include "platform/core/result.h"

namespace corvane::daemon::engines::wireguard {

class WireGuardRouting {
 public:
  explicit WireGuardRouting(net::Netlink& netlink) : netlink_(netlink) {}

  // wireguard-go's default MTU; the packet overhead of WireGuard over IPv6 is 80 bytes.
  static constexpr int kDefaultMtu = 1420;

  Result<void> apply(const WireGuardConfig& config, const std::string& interfaceName);
  // Removes the policy rules (routes and addresses go with the interface). Safe to repeat.
  void remove();

  static bool routesAllIpv4(const WireGuardConfig& config);
  static bool routesAllIpv6(const WireGuardConfig& config);

 private:
  Result<void> addFullTunnel(int family, int index);

  net::Netlink& netlink_;
};

}  // namespace corvane::daemon::engines::wireguard
