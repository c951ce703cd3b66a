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
// LLMNR, DHCPv6, echo requests to ff02::1) is the user's traffic and stays blocked.
constexpr std::string_view kLinkControlOut =
    "    icmpv6 type { nd-router-solicit, nd-neighbor-solicit, nd-neighbor-advert } ip6 hoplimit 255 accept\n"
    "    icmpv6 type mld2-listener-report ip6 hoplimit 1 accept\n";
constexpr std::string_view kLinkControlIn =
    "    icmpv6 type { nd-router-advert, nd-neighbor-solicit, nd-neighbor-advert, nd-redirect } ip6 hoplimit 255 accept\n"
    "    icmpv6 type mld-listener-query ip6 hoplimit 1 accept\n";

}  // namespace

std::string nftRuleset(const FirewallPolicy& policy) {
  std::string out = fmt::format("table inet {} {{\n", kTableName);
  out += "  chain output {\n    type filter hook output priority 0; policy drop;\n";
  out += "    oifname \"lo\" accept\n";
  if (!policy.tunnelInterface.empty()) out += fmt::format("    oifname \"{}\" accept\n", policy.tunnelInterface);
  if (policy.redirectMark) out += fmt::format("    meta mark 0x{:x} accept\n", *policy.redirectMark);
  out += kLinkControlOut;
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
  out += "  }\n}\n";
  return out;
}

}  // namespace corvane::daemon::firewall
