#include "daemon/engines/shadowsocks/shadowsocks_factory.h"

#include <fmt/format.h>

#include "daemon/engines/shadowsocks/shadowsocks_config_parser.h"
#include "daemon/engines/transparent/endpoint_resolver.h"
#include "daemon/net/routing_ids.h"
#include "daemon/engines/transparent/loopback_port.h"
#include "daemon/engines/transparent/transparent_proxy_engine.h"

namespace corvane::daemon::engines::shadowsocks {

engine::PreparedEngine ShadowsocksFactory::prepare(std::string_view content, const engine::EngineContext& context) const {
  auto config = parseShadowsocksConfig(content);
  if (!config) return engine::EngineError::invalidConfig(config.error().description);
  auto address = transparent::resolveServerAddress(config->host);
  if (!address) return engine::EngineError::failed(fmt::format("server `{}' cannot be resolved", config->host));
  auto port = transparent::freeLoopbackPort();
  if (!port) return engine::EngineError::failed("no free loopback port for ss-redir");
  config->host = *address;

  engine::TunnelNetwork network;
  using Transport = engine::ServerEndpoint::Transport;
  if (config->mode != RelayMode::udpOnly) network.serverEndpoints.push_back({*address, config->port, Transport::tcp});
  if (config->mode != RelayMode::tcpOnly) network.serverEndpoints.push_back({*address, config->port, Transport::udp});
  network.redirectMark = net::kTransparentMark;
  network.transparentPort = *port;
  // What the far end sees as the source of the host's traffic.
  network.tunnelAddress = *address;

  transparent::TransparentRules rules;
  rules.port = *port;
  // ss-redir cannot mark its sockets: its traffic is told apart by the server's address.
  rules.serverAddresses = {*address};

  transparent::TransparentLaunch launch;
  launch.program = "ss-redir";
  launch.configFileName = "ss-redir.json";
  launch.configText = config->toSsRedirJson(*port);
  launch.argsBeforeFile = {"-c"};
  // -T: TCP through TPROXY as well, so one table serves both protocols; UDP as the mode says.
  launch.argsAfterFile = {"-T"};
  if (config->mode != RelayMode::tcpOnly) launch.argsAfterFile.push_back("-u");
  launch.listenPorts = {*port};
  explicit_bzero(config->password.data(), config->password.size());
  return std::unique_ptr<engine::Engine>(std::make_unique<transparent::TransparentProxyEngine>(
      std::move(launch), std::move(rules), context, std::move(network)));
}

void ShadowsocksFactory::removeLeftovers(const engine::EngineContext& context) const {
  transparent::TransparentProxyEngine::removeLeftovers(context);
}

}  // namespace corvane::daemon::engines::shadowsocks
