#pragma once
// What the transparent-proxy table needs to know: the engine's port, and how to recognise
// the engine's own traffic to its server (its mark, or the server's addresses) so that it is
// not sent back into the engine.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace corvane::daemon::engines::transparent {

inline constexpr const char* kTransparentTable = "corvane_transparent";

struct TransparentRules {
  std::uint16_t port = 0;                    // TPROXY target on 127.0.0.1, TCP and UDP
  std::optional<std::uint32_t> engineMark;   // SO_MARK the engine sets on its sockets
  std::vector<std::string> serverAddresses;  // numeric IPv4/IPv6, excluded by destination
};

// The table's definition, for net::Nftables::replaceTable (or `nft -f` where it is absent).
std::string nftTransparentRuleset(const TransparentRules& rules);

}  // namespace corvane::daemon::engines::transparent
