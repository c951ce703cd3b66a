#pragma once
// The checksum of an echo message. Words are summed little-endian (first byte low) and the
// result is stored little-endian at offset 2, which makes the stored bytes equal the RFC 1071
// Internet checksum of the message in network order. The checksum field itself is never part
// of the sum.
#include <array>
#include <cstdint>
#include <span>
#include <variant>

#include "ping/ping_error.h"

namespace corvane::ping {

struct EchoChecksumInput {
  std::uint8_t type = 0;
  std::uint8_t code = 0;
  // The identifier and sequence fields as stored on the wire (big-endian bytes).
  std::array<std::uint8_t, 2> identifierField{};
  std::array<std::uint8_t, 2> sequenceField{};
  // The fingerprint followed by the filler.
  std::span<const std::uint8_t> payload;
};

// The checksum, or unexpectedPayloadLength for an odd payload (there is no zero padding), or
// checksumOutOfBounds when the folded sum is 0xFFFF (a checksum of zero is never produced).
std::variant<std::uint16_t, PingError> echoChecksum(const EchoChecksumInput& input);

}  // namespace corvane::ping
