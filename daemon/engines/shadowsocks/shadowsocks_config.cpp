#include "daemon/engines/shadowsocks/shadowsocks_config.h"

#include <nlohmann/json.hpp>

namespace corvane::daemon::engines::shadowsocks {

std::string ShadowsocksConfig::toSsRedirJson(std::uint16_t localPort) const {
  const char* modeText = mode == RelayMode::tcpOnly ? "tcp_only" : mode == RelayMode::udpOnly ? "udp_only" : "tcp_and_udp";
  nlohmann::json json = {{"server", host},         {"server_port", port},      {"password", password},
                         {"method", method},       {"mode", modeText},         {"timeout", timeoutSeconds},
                         {"local_address", "127.0.0.1"}, {"local_port", localPort}};
  if (fastOpen) json["fast_open"] = true;
  if (noDelay) json["no_delay"] = true;
  return json.dump();
}

}  // namespace corvane::daemon::engines::shadowsocks
