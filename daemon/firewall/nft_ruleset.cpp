#include "daemon/firewall/nft_ruleset.h"

#include <fmt/format.h>

#include "daemon/net/ip_prefix.h"

namespace corvane::daemon::firewall {

std::string nftRuleset(const FirewallPolicy& policy) {
  std::string out = fmt::format("add table inet {0}\ndelete table inet {0}\ntable inet {0} {{\n", kTableName);
  out += "  chain output {\n    type filter hook output priority 0; policy drop;\n";
  out += "    oifname \"lo\" accept\n";
  if (!policy.tunnelInterface.empty()) out += fmt::format("    oifname \"{}\" accept\n", policy.tunnelInterface);
  if (policy.redirectMark) out += fmt::format("    meta mark 0x{:x} accept\n", *policy.redirectMark);
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
  out += "  }\n}\n";
  return out;
}

std::string nftRemoval() { return fmt::format("add table inet {0}\ndelete table inet {0}\n", kTableName); }

}  // namespace corvane::daemon::firewall
