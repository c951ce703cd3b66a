#include "daemon/firewall/nft_ruleset.h"

#include <fmt/format.h>

#include "daemon/net/ip_prefix.h"

namespace corvane::daemon::firewall {
namespace {

// The IPv6 link's own control: neighbour and router discovery, and the multicast listener
// reports that let switches deliver neighbour solicitations. They are what reaching the next
// hop (and so an IPv6 server) takes, they carry nothing of the user's, and the hop limits the
// kernel sends them with (255 for discovery, 1 for reports) keep them on the link; a receiver
// drops discovery packets with any other hop limit. Every other link-local packet (mDNS,
// LLMNR, echo requests to ff02::1) is the user's traffic and stays blocked.
constexpr std::string_view kLinkControlOut =
    "    icmpv6 type { nd-router-solicit, nd-neighbor-solicit, nd-neighbor-advert } ip6 hoplimit 255 accept\n"
    "    icmpv6 type mld2-listener-report ip6 hoplimit 1 accept\n";
constexpr std::string_view kLinkControlIn =
    "    icmpv6 type { nd-router-advert, nd-neighbor-solicit, nd-neighbor-advert, nd-redirect } ip6 hoplimit 255 accept\n"
    "    icmpv6 type mld-listener-query ip6 hoplimit 1 accept\n";

// The host's own DHCP client, IPv4 and IPv6, and the servers' answers: a lease renewed by
// unicast (or a DHCPv6 exchange) that the table held back would run out during a long block or
// a long tunnel, and the link, the way to the server included, would lose its address. Only
// the client's and the server's well-known ports on both ends match, both of them privileged,
// so no ordinary program can send anything else this way; DHCPv6 goes to the servers' link
// group or to a unicast server, never to another group.
constexpr std::string_view kDhcpOut =
    "    meta nfproto ipv4 udp sport 68 udp dport 67 accept\n"
    "    ip6 daddr ff02::1:2 udp sport 546 udp dport 547 accept\n"
    "    ip6 daddr != ff00::/8 udp sport 546 udp dport 547 accept\n";
constexpr std::string_view kDhcpIn =
    "    meta nfproto ipv4 udp sport 67 udp dport 68 accept\n"
    "    meta nfproto ipv6 udp sport 547 udp dport 546 accept\n";

}  // namespace

std::string nftRuleset(const FirewallPolicy& policy) {
  std::string out = fmt::format("table inet {} {{\n", kTableName);
  out += "  chain output {\n    type filter hook output priority 0; policy drop;\n";
  out += "    oifname \"lo\" accept\n";
  if (!policy.tunnelInterface.empty()) out += fmt::format("    oifname \"{}\" accept\n", policy.tunnelInterface);
  if (policy.redirectMark) out += fmt::format("    meta mark 0x{:x} accept\n", *policy.redirectMark);
  out += kLinkControlOut;
  out += kDhcpOut;
  std::string owner;
  if (policy.engineMark) owner += fmt::format(" meta mark 0x{:x}", *policy.engineMark);
  if (policy.engineUid) owner += fmt::format(" meta skuid {}", *policy.engineUid);
  for (const auto& endpoint : policy.serverEndpoints) {
    // Addresses come from the engine's parser, but the text goes into a ruleset: anything that
    // is not an address is left out rather than written.
    auto address = net::IpPrefix::parseAddress(endpoint.address);
    if (!address) continue;
    out += fmt::format("    {} daddr {} {} dport {}{} accept\n", address->isIpv6() ? "ip6" : "ip", address->address(),
                       endpoint.transport == engine::ServerEndpoint::Transport::udp ? "udp" : "tcp", endpoint.port, owner);
  }
  if (policy.probeMark) out += fmt::format("    meta mark 0x{:x} tcp dport 80 accept\n", *policy.probeMark);
  out += "  }\n";
  // Incoming: only answers to what the output chain let out (the server's, the probe's),
  // loopback (where a transparent engine's redirected traffic arrives), the tunnel while it is
  // up, and the link's own control. Nothing on the outer interface can reach a local service
  // around the tunnel, and nothing can open a connection the output chain would then answer.
  out += "  chain input {\n    type filter hook input priority 0; policy drop;\n";
  out += "    iifname \"lo\" accept\n";
  if (!policy.tunnelInterface.empty()) out += fmt::format("    iifname \"{}\" accept\n", policy.tunnelInterface);
  out += "    ct state established,related accept\n";
  out += kLinkControlIn;
  out += kDhcpIn;
  out += "  }\n}\n";
  return out;
}

}  // namespace corvane::daemon::firewall
