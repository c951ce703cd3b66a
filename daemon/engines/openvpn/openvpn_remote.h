#pragma once
// One server a configuration names ("remote host port proto"), with the defaults openvpn
// applies filled in. The service keeps this way to the server open when everything else is
// blocked, so it must match what openvpn will dial.
#include <cstdint>
#include <string>

namespace corvane::daemon::engines::openvpn {

struct OpenVpnRemote {
  std::string host;
  std::uint16_t port = 1194;
  std::string proto = "udp";  // "udp" or "tcp" (openvpn's variants folded)

  friend bool operator==(const OpenVpnRemote&, const OpenVpnRemote&) = default;
};

}  // namespace corvane::daemon::engines::openvpn
