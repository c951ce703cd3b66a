#include "daemon/engines/transparent/transparent_rules.h"

#include <fmt/format.h>

#include "daemon/net/ip_prefix.h"
#include "daemon/net/routing_ids.h"

namespace corvane::daemon::engines::transparent {

// The host's traffic enters the engine in two steps, because TPROXY works only in
// prerouting: the output route chain marks it (which makes the kernel route it again, now by
// the policy rule to the "local" table, out through lo), and prerouting hands the marked
// packets to the engine's transparent socket. Both the engine's own packets to the server
// (by mark or destination) and traffic to this host's own addresses are left alone. The
// engine's connections get a conntrack mark so their bytes can be counted both ways.
// IPv6 is not carried: the daemon's leak rules drop it while the tunnel is up.
std::string nftTransparentRuleset(const TransparentRules& rules) {
  std::string servers4, servers6;
  for (const auto& text : rules.serverAddresses) {
    auto address = net::IpPrefix::parseAddress(text);
    if (!address) continue;  // never write what is not an address into a ruleset
    std::string& list = address->isIpv6() ? servers6 : servers4;
    list += (list.empty() ? "" : ", ") + address->address();
  }
  const auto mark = net::kTransparentMark;
  const auto engineConn = net::kTunnelMark;
  std::string out = fmt::format("table inet {} {{\n", kTransparentTable);
  out += "  counter tunnel_tx {}\n  counter tunnel_rx {}\n";
  out += "  chain output {\n    type route hook output priority mangle; policy accept;\n";
  if (rules.engineMark) out += fmt::format("    meta mark 0x{:x} ct mark set 0x{:x} return\n", *rules.engineMark, engineConn);
  if (!servers4.empty()) out += fmt::format("    ip daddr {{ {} }} ct mark set 0x{:x} return\n", servers4, engineConn);
  if (!servers6.empty()) out += fmt::format("    ip6 daddr {{ {} }} ct mark set 0x{:x} return\n", servers6, engineConn);
  out += "    meta nfproto ipv6 return\n";
  out += "    oifname \"lo\" return\n";
  out += "    fib daddr type { local, broadcast, multicast, anycast } return\n";
  out += "    ip daddr { 127.0.0.0/8, 224.0.0.0/4, 255.255.255.255 } return\n";
  // The host's DHCP client renews its lease by unicast to the LAN's server, not through a proxy.
  out += "    udp sport 68 udp dport 67 return\n";
  out += fmt::format("    meta l4proto {{ tcp, udp }} meta mark set 0x{:x}\n  }}\n", mark);
  out += "  chain prerouting {\n    type filter hook prerouting priority mangle; policy accept;\n";
  out += fmt::format("    meta mark 0x{:x} meta l4proto {{ tcp, udp }} tproxy ip to 127.0.0.1:{} accept\n  }}\n", mark,
                     rules.port);
  out += fmt::format("  chain count_out {{\n    type filter hook output priority 10; policy accept;\n"
                     "    ct mark 0x{:x} counter name tunnel_tx\n  }}\n", engineConn);
  out += fmt::format("  chain count_in {{\n    type filter hook input priority 10; policy accept;\n"
                     "    ct mark 0x{:x} counter name tunnel_rx\n  }}\n}}\n", engineConn);
  return out;
}

}  // namespace corvane::daemon::engines::transparent
