#pragma once
// One line openvpn's management interface sends of its own accord (">STATE:", ">BYTECOUNT:",
// ">LOG:", ">HOLD:"), read into what the engine needs. Answers to commands ("SUCCESS:",
// "ERROR:") and other notifications come back as `other`.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::daemon::engines::openvpn {

struct ManagementEvent {
  enum class Kind { state, bytes, pushedDns, hold, other };

  Kind kind = Kind::other;
  std::string state;          // CONNECTED, RECONNECTING, WAIT, AUTH, EXITING...
  std::string tunnelAddress;  // with CONNECTED: the tunnel's local address
  std::uint64_t rxBytes = 0;
  std::uint64_t txBytes = 0;
  std::vector<std::string> dnsServers;  // from the server's pushed options
};

ManagementEvent parseManagementLine(std::string_view line);

}  // namespace corvane::daemon::engines::openvpn
