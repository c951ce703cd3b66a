#pragma once
// A WireGuard client configuration as the wg-quick style text gives it, checked.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "daemon/engines/wireguard/wireguard_key.h"
#include "daemon/net/ip_prefix.h"

namespace corvane::daemon::engines::wireguard {

struct WireGuardConfig {
  struct Peer {
    WireGuardKey publicKey;
    std::optional<WireGuardKey> presharedKey;
    std::vector<net::IpPrefix> allowedIps;
    // Host as written (a name is resolved when the engine is prepared) and port.
    std::string endpointHost;
    std::uint16_t endpointPort = 0;
    std::optional<std::uint16_t> persistentKeepalive;
  };

  WireGuardKey privateKey;
  std::vector<net::IpPrefix> addresses;
  std::vector<net::IpPrefix> dnsServers;
  std::vector<std::string> dnsSearchDomains;
  std::optional<int> mtu;
  std::vector<Peer> peers;
};

}  // namespace corvane::daemon::engines::wireguard
