#pragma once
// What ss-redir needs to reach one Shadowsocks server, taken from an ss:// link or a
// shadowsocks-libev JSON object. Nothing here names a file or a program: the service writes
// ss-redir's configuration itself from these fields (see toSsRedirJson).
#include <cstdint>
#include <string>

namespace corvane::daemon::engines::shadowsocks {

enum class RelayMode { tcpAndUdp, tcpOnly, udpOnly };

struct ShadowsocksConfig {
  std::string host;
  std::uint16_t port = 0;
  std::string method;
  std::string password;  // secret: never logged, written only to a 0600 file
  RelayMode mode = RelayMode::tcpAndUdp;
  int timeoutSeconds = 60;
  bool fastOpen = false;
  bool noDelay = false;

  // ss-redir's configuration: this server, listening for redirected traffic on loopback.
  std::string toSsRedirJson(std::uint16_t localPort) const;
};

}  // namespace corvane::daemon::engines::shadowsocks
