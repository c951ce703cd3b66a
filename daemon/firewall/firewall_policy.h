#pragma once
// What the daemon's one nftables table lets out. Everything else leaving the host is dropped.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "daemon/engine/server_endpoint.h"

namespace corvane::daemon::firewall {

struct FirewallPolicy {
  // The engine's way to its server, always open.
  std::vector<engine::ServerEndpoint> serverEndpoints;
  // When set, the endpoints are open only to packets with this mark or from this uid (the
  // engine's own), so nothing else can leak towards the server's address.
  std::optional<std::uint32_t> engineMark;
  std::optional<std::uint32_t> engineUid;
  // The tunnel's interface while it is up: everything may leave through it. Empty while the
  // tunnel is not up (the kill switch blocks).
  std::string tunnelInterface;
  // Packets a transparent-proxy engine's table is handing to the engine on this host.
  std::optional<std::uint32_t> redirectMark;
  // The daemon's reachability probe (plain HTTP, marked) may leave while blocking.
  std::optional<std::uint32_t> probeMark;
};

}  // namespace corvane::daemon::firewall
