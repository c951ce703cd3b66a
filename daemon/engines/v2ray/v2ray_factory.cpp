#include "daemon/engines/v2ray/v2ray_factory.h"

#include <fmt/format.h>

#include "daemon/engines/transparent/endpoint_resolver.h"
#include "daemon/net/routing_ids.h"
#include "daemon/engines/transparent/loopback_port.h"
#include "daemon/engines/transparent/transparent_proxy_engine.h"
#include "daemon/engines/v2ray/v2ray_config_parser.h"

namespace corvane::daemon::engines::v2ray {
namespace {

// Replaces each server's host name by its address. A TLS outbound keeps the name for the
// certificate check (v2ray would otherwise check the certificate against the address).
Result<std::vector<engine::ServerEndpoint>> pinServers(nlohmann::json& outbounds) {
  std::vector<engine::ServerEndpoint> endpoints;
  for (auto& outbound : outbounds) {
    if (!outbound.contains("settings") || !outbound["settings"].is_object()) continue;
    auto& settings = outbound["settings"];
    for (const char* list : {"vnext", "servers"}) {
      if (!settings.contains(list) || !settings[list].is_array()) continue;
      for (auto& server : settings[list]) {
        if (!server.is_object() || !server.contains("address") || !server["address"].is_string()) continue;
        const std::string host = server["address"].get<std::string>();
        auto address = transparent::resolveServerAddress(host);
        if (!address) return Error("V2ray", 0, fmt::format("server `{}' cannot be resolved", host));
        if (*address != host) {
          auto& stream = outbound["streamSettings"];
          if (stream.is_object() && stream.value("security", "") == "tls" &&
              !(stream.contains("tlsSettings") && stream["tlsSettings"].contains("serverName"))) {
            stream["tlsSettings"]["serverName"] = host;
          }
          server["address"] = *address;
        }
        std::uint16_t port = 0;
        if (server.contains("port") && server["port"].is_number_unsigned() && server["port"].get<std::uint64_t>() <= 65535) {
          port = static_cast<std::uint16_t>(server["port"].get<std::uint64_t>());
        }
        if (port == 0) continue;
        // Either transport may carry the tunnel (mKCP and QUIC, UDP relays of Shadowsocks).
        endpoints.push_back({*address, port, engine::ServerEndpoint::Transport::tcp});
        endpoints.push_back({*address, port, engine::ServerEndpoint::Transport::udp});
      }
    }
  }
  return endpoints;
}

}  // namespace

engine::PreparedEngine V2rayFactory::prepare(std::string_view content, const engine::EngineContext& context) const {
  auto config = parseV2rayConfig(content);
  if (!config) return engine::EngineError::invalidConfig(config.error().description);
  auto endpoints = pinServers(config->outbounds);
  if (!endpoints) return engine::EngineError::failed(endpoints.error().description);
  auto transparentPort = transparent::freeLoopbackPort();
  auto socksPort = transparent::freeLoopbackPort();
  if (!transparentPort || !socksPort || *transparentPort == *socksPort) {
    return engine::EngineError::failed("no free loopback ports for v2ray");
  }

  engine::TunnelNetwork network;
  network.serverEndpoints = std::move(*endpoints);
  network.redirectMark = net::kTransparentMark;
  network.transparentPort = *transparentPort;
  network.loopbackProxyPort = *socksPort;
  network.fwmark = context.fwmark;
  if (!network.serverEndpoints.empty()) network.tunnelAddress = network.serverEndpoints.front().address;

  transparent::TransparentRules rules;
  rules.port = *transparentPort;
  rules.engineMark = context.fwmark;

  transparent::TransparentLaunch launch;
  launch.program = "v2ray";
  launch.configFileName = "v2ray.json";
  launch.configText = config->render({*transparentPort, *socksPort, context.fwmark});
  launch.argsBeforeFile = {"-config"};
  launch.listenPorts = {*transparentPort, *socksPort};
  return std::unique_ptr<engine::Engine>(std::make_unique<transparent::TransparentProxyEngine>(
      std::move(launch), std::move(rules), context, std::move(network)));
}

void V2rayFactory::removeLeftovers(const engine::EngineContext& context) const {
  transparent::TransparentProxyEngine::removeLeftovers(context);
}

}  // namespace corvane::daemon::engines::v2ray
