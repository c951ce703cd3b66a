#pragma once
// A server's V2ray configuration after the checks: the outbounds (and the routing, DNS and
// policy sections that steer them) the service keeps. Inbounds and logging are the service's
// own: render() writes a transparent inbound for redirected traffic and a loopback SOCKS
// inbound, and marks every outbound so its traffic to the server bypasses the redirection.
#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace corvane::daemon::engines::v2ray {

struct V2rayEndpoint {
  std::string host;
  std::uint16_t port = 0;
};

struct V2rayInbounds {
  std::uint16_t transparentPort = 0;  // dokodemo-door, TPROXY target, TCP and UDP
  std::uint16_t socksPort = 0;        // SOCKS5 on 127.0.0.1, the proxy the app may report
  std::uint32_t outboundMark = 0;     // SO_MARK on every outbound socket
};

struct V2rayConfig {
  nlohmann::json outbounds = nlohmann::json::array();
  nlohmann::json routing;  // null when absent
  nlohmann::json dns;
  nlohmann::json policy;
  std::string logLevel = "warning";
  std::vector<V2rayEndpoint> servers;  // where the outbounds connect

  std::string render(const V2rayInbounds& inbounds) const;
};

}  // namespace corvane::daemon::engines::v2ray
