#include "daemon/engines/wireguard/wireguard_factory.h"

#include <fmt/format.h>
#include <netdb.h>

#include "daemon/engines/wireguard/wireguard_config_parser.h"
#include "daemon/engines/wireguard/wireguard_engine.h"
#include "daemon/engines/wireguard/wireguard_routing.h"
#include "daemon/net/routing_ids.h"

namespace corvane::daemon::engines::wireguard {
namespace {

std::optional<std::string> resolve(const std::string& host) {
  if (auto numeric = net::IpPrefix::parseAddress(host)) return numeric->address();
  addrinfo hints{};
  hints.ai_socktype = SOCK_DGRAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found) return std::nullopt;
  char text[NI_MAXHOST] = {};
  int error = getnameinfo(found->ai_addr, found->ai_addrlen, text, sizeof text, nullptr, 0, NI_NUMERICHOST);
  freeaddrinfo(found);
  if (error != 0) return std::nullopt;
  return std::string(text);
}

}  // namespace

engine::PreparedEngine WireGuardFactory::prepare(std::string_view content, const engine::EngineContext& context) const {
  auto parsed = parseWireGuardConfig(content);
  if (auto* problem = std::get_if<std::string>(&parsed)) return engine::EngineError::invalidConfig(*problem);
  auto& config = std::get<WireGuardConfig>(parsed);

  engine::TunnelNetwork network;
  for (const auto& peer : config.peers) {
    auto address = resolve(peer.endpointHost);
    if (!address) {
      return engine::EngineError::failed(fmt::format("Endpoint host `{}' cannot be resolved", peer.endpointHost));
    }
    network.serverEndpoints.push_back({*address, peer.endpointPort, engine::ServerEndpoint::Transport::udp});
  }
  for (const auto& server : config.dnsServers) network.dnsServers.push_back(server.address());
  network.interfaceName = context.interfaceName;
  network.fwmark = net::kTunnelMark;
  network.tunnelAddress = config.addresses.front().address();
  bool hasIpv6Address = false;
  for (const auto& address : config.addresses) hasIpv6Address = hasIpv6Address || address.isIpv6();
  network.carriesIpv6 = hasIpv6Address && WireGuardRouting::routesAllIpv6(config);
  return std::unique_ptr<engine::Engine>(std::make_unique<WireGuardEngine>(std::move(config), context, std::move(network)));
}

void WireGuardFactory::removeLeftovers(const engine::EngineContext&) const {
  net::Netlink netlink;
  WireGuardRouting(netlink).remove();
}

}  // namespace corvane::daemon::engines::wireguard
