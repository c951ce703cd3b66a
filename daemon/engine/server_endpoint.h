#pragma once
// One address:port the engine talks to its server on. The kill switch leaves exactly these
// open (and only for the engine's own traffic where the engine marks it), and routing keeps
// them off the tunnel.
#include <cstdint>
#include <string>

namespace corvane::daemon::engine {

struct ServerEndpoint {
  enum class Transport { udp, tcp };

  std::string address;  // numeric IPv4 or IPv6, never a host name: resolved before start
  std::uint16_t port = 0;
  Transport transport = Transport::udp;

  friend bool operator==(const ServerEndpoint&, const ServerEndpoint&) = default;
};

}  // namespace corvane::daemon::engine
