#include "daemon/engines/wireguard/wireguard_factory.h"

#include <fmt/format.h>

#include <cstdlib>

#include "daemon/engines/transparent/endpoint_resolver.h"
#include "daemon/engines/wireguard/wireguard_config_parser.h"
#include "daemon/engines/wireguard/wireguard_engine.h"
#include "daemon/engines/wireguard/wireguard_routing.h"
#include "daemon/net/routing_ids.h"

namespace corvane::daemon::engines::wireguard {

engine::PreparedEngine WireGuardFactory::prepare(std::string_view content, const engine::EngineContext& context) const {
  // Which WireGuard runs the tunnel: the kernel's where it has one, unless this says otherwise.
  const char* wanted = std::getenv("CORVANE_WIREGUARD");
  auto choice = deviceChoiceFrom(wanted ? wanted : "");
  if (!choice) {
    return engine::EngineError::failed(
        fmt::format("CORVANE_WIREGUARD must be \"kernel\" or \"userspace\" (or unset), not \"{}\"", wanted));
  }
  auto parsed = parseWireGuardConfig(content);
  if (auto* problem = std::get_if<std::string>(&parsed)) return engine::EngineError::invalidConfig(*problem);
  auto& config = std::get<WireGuardConfig>(parsed);

  engine::TunnelNetwork network;
  for (const auto& peer : config.peers) {
    auto address = transparent::resolveServerAddress(peer.endpointHost, transparent::AddressFamily::any);
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
  return std::unique_ptr<engine::Engine>(std::make_unique<WireGuardEngine>(std::move(config), context, std::move(network), *choice, log_));
}

void WireGuardFactory::removeLeftovers(const engine::EngineContext&) const {
  // A kernel WireGuard interface outlives a daemon killed with -9; it goes with the other
  // links of the daemon's prefix, before the engines' own leftovers.
  net::Netlink netlink;
  WireGuardRouting(netlink).remove();
}

}  // namespace corvane::daemon::engines::wireguard
