#include "daemon/engines/openvpn/openvpn_factory.h"

#include <fmt/format.h>

#include "daemon/engines/openvpn/openvpn_config.h"
#include "daemon/engines/openvpn/openvpn_engine.h"
#include "daemon/engines/orphan_programs.h"
#include "daemon/engines/transparent/endpoint_resolver.h"

namespace corvane::daemon::engines::openvpn {

engine::PreparedEngine OpenVpnFactory::prepare(std::string_view content, const engine::EngineContext& context) const {
  auto config = parseOpenVpnConfig(content, context.credentials.has_value());
  if (!config) return engine::EngineError::invalidConfig(config.error().description);
  engine::TunnelNetwork network;
  for (auto& remote : config->remotes) {
    auto address = transparent::resolveServerAddress(remote.host);
    if (!address) return engine::EngineError::failed(fmt::format("server `{}' cannot be resolved", remote.host));
    // openvpn dials the address the kill switch opens, not a fresh lookup of the name.
    remote.host = *address;
    network.serverEndpoints.push_back({*address, remote.port,
                                       remote.proto == "tcp" ? engine::ServerEndpoint::Transport::tcp
                                                             : engine::ServerEndpoint::Transport::udp});
  }
  auto pinRemotes = [](std::vector<std::vector<std::string>>& directives) {
    for (auto& words : directives) {
      if (words[0] == "remote" && words.size() > 1) {
        if (auto address = transparent::resolveServerAddress(words[1])) words[1] = *address;
      }
    }
  };
  pinRemotes(config->directives);
  for (auto& connection : config->connections) pinRemotes(connection);
  network.interfaceName = context.interfaceName;
  network.fwmark = context.fwmark;
  return std::unique_ptr<engine::Engine>(std::make_unique<OpenVpnEngine>(std::move(*config), context, std::move(network)));
}

void OpenVpnFactory::removeLeftovers(const engine::EngineContext& context) const {
  (void)killProgramsUsing(context.runtimeDir);
}

}  // namespace corvane::daemon::engines::openvpn
