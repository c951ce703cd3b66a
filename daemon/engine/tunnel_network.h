#pragma once
// What the daemon needs from a prepared engine to set DNS, the leak rules and the kill switch
// around it. The engine sets up its own data path (interface, addresses, routes, or the
// transparent-proxy table); the daemon owns what is common to every engine.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "daemon/engine/server_endpoint.h"

namespace corvane::daemon::engine {

struct TunnelNetwork {
  // Resolvers to use while the tunnel is up; empty keeps the system's (the leak rules then
  // still force DNS through the tunnel's route).
  std::vector<std::string> dnsServers;
  // Where the engine reaches its server: open while the kill switch blocks everything else.
  std::vector<ServerEndpoint> serverEndpoints;
  // The tunnel's network interface (WireGuard, OpenVPN); empty for transparent-proxy engines.
  std::string interfaceName;
  // The local port that receives the host's redirected traffic (Shadowsocks, V2ray).
  std::optional<std::uint16_t> transparentPort;
  // Transparent-proxy engines: the mark their table puts on the host's packets on the way to
  // the engine's port. nftables still sees such a packet leaving by its first route's
  // interface, so the leak rules let this mark pass while the tunnel is up.
  std::optional<std::uint32_t> redirectMark;
  // A loopback SOCKS/HTTP proxy the engine offers to applications, reported in the status.
  std::optional<std::uint16_t> loopbackProxyPort;
  // The mark the engine puts on its own packets to the server, if it marks them (WireGuard's
  // fwmark, SO_MARK of ss-redir/v2ray); the kill switch then opens the endpoints only for it.
  std::optional<std::uint32_t> fwmark;
  // The uid the engine's program runs as, if not root: lets rules match its traffic by owner.
  std::optional<std::uint32_t> uid;
  // The tunnel's own address (the first Address of a WireGuard interface, OpenVPN's ifconfig).
  std::string tunnelAddress;
  // Whether the tunnel carries IPv6 to everywhere (::/0 routed into it). When false, the
  // daemon drops all IPv6 leaving outside the tunnel while it is up.
  bool carriesIpv6 = false;
};

}  // namespace corvane::daemon::engine
