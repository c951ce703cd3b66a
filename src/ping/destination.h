#pragma once
// The target of a pinger: the text the caller gave and the resolved IPv4 socket address.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace corvane::ping {

// One IPv4 socket address record exactly as the host resolver returns it: the platform's
// 16-byte `sockaddr_in` (family AF_INET, port, address, zero padding).
using SocketAddressBytes = std::array<std::uint8_t, 16>;

struct Destination {
  std::string host;
  SocketAddressBytes ipv4Address{};

  // Dotted-quad text of the address inside `ipv4Address`, or nothing when the record is not
  // an AF_INET address.
  std::optional<std::string> dottedAddress() const;

  // The record for a dotted-quad text (port 0), or nothing when the text is not one.
  static std::optional<SocketAddressBytes> parseDottedAddress(const std::string& text);
};

}  // namespace corvane::ping
