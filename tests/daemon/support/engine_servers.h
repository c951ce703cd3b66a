#pragma once
// The server side of each engine the proxy testbed carries, started in its server namespace,
// and the client configuration the daemon is given for it. Nothing when the server could not
// be started (the testbed's log says why).
#include <optional>
#include <string>

#include "daemon/support/proxy_testbed.h"

namespace corvane::daemon::testing {

struct EngineServer {
  std::string engine;        // as the daemon names it
  std::string clientProgram;  // what the daemon runs for it
  std::string serverProgram;
  std::string endpoint;      // "ADDRESS.PORT", as tcpdump writes the server's side
};

inline const EngineServer kShadowsocksServer{"shadowsocks", "ss-redir", "ss-server", "192.168.79.1.8388"};
inline const EngineServer kV2rayServer{"v2ray", "v2ray", "v2ray", "192.168.79.1.10086"};
inline const EngineServer kOpenVpnServer{"openvpn", "openvpn", "openvpn", "192.168.79.1.1194"};

// A user name and password the OpenVPN server insists on.
struct ServerAccount {
  std::string username;
  std::string password;
};

// Starts `server.engine`'s server side on the testbed and returns the client configuration.
// With `account` (OpenVPN only) the server checks it, and the profile says a bare
// `auth-user-pass`. `pushedDns` (OpenVPN only) is the resolver the server pushes.
std::optional<std::string> startEngineServer(const EngineServer& server, ProxyTestbed& bed,
                                             const std::optional<ServerAccount>& account = std::nullopt,
                                             const std::string& pushedDns = ProxyTestbed::kTargetAddress);

}  // namespace corvane::daemon::testing
