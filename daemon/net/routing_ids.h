#pragma once
// The numbers by which the daemon's routing is recognised, so that cleanup after a crash
// removes exactly what a tunnel made and nothing else.
#include <cstdint>

namespace corvane::daemon::net {

// Mark on the engine's own packets to its server, and the routing table that sends everything
// else into the tunnel (the same number, as wg-quick uses one for both).
inline constexpr std::uint32_t kTunnelMark = 0xca77;
inline constexpr std::uint32_t kTunnelTable = 0xca77;
// Policy rules of a full tunnel. Consulted in priority order before the main table's rule
// (32766): first the main table without its default routes (so the LAN and the server stay
// reachable), then everything not carrying the engine's mark goes to the tunnel's table.
inline constexpr std::uint32_t kSuppressRulePriority = 32100;
inline constexpr std::uint32_t kTunnelRulePriority = 32101;
// Mark on the daemon's own reachability probe, which the kill switch lets out.
inline constexpr std::uint32_t kProbeMark = 0xca78;

// Transparent-proxy engines (Shadowsocks, V2ray): the host's packets get this mark in the
// output route chain, and the policy rule sends marked packets to a table whose only route is
// "local default dev lo", so they come back in through prerouting where TPROXY hands them to
// the engine's port.
inline constexpr std::uint32_t kTransparentMark = 0xca79;
inline constexpr std::uint32_t kTransparentTable = 0xca79;
inline constexpr std::uint32_t kTransparentRulePriority = 32102;

}  // namespace corvane::daemon::net
