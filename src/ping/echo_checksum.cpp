#include "ping/echo_checksum.h"

namespace corvane::ping {

namespace {

std::uint64_t littleEndianWord(std::uint8_t low, std::uint8_t high) {
  return static_cast<std::uint64_t>(low) | (static_cast<std::uint64_t>(high) << 8);
}

}  // namespace

std::variant<std::uint16_t, PingError> echoChecksum(const EchoChecksumInput& input) {
  // 64 bits: a datagram of any length the socket can deliver cannot overflow the sum.
  std::uint64_t sum = littleEndianWord(input.type, input.code);
  sum += littleEndianWord(input.identifierField[0], input.identifierField[1]);
  sum += littleEndianWord(input.sequenceField[0], input.sequenceField[1]);

  const std::span<const std::uint8_t> payload = input.payload;
  if (payload.size() % 2 != 0) {
    return PingError(PingError::Case::unexpectedPayloadLength);
  }
  for (std::size_t i = 0; i < payload.size(); i += 2) {
    sum += littleEndianWord(payload[i], payload[i + 1]);
  }
  while (sum > 0xFFFF) {
    sum = (sum >> 16) + (sum & 0xFFFF);
  }
  if (sum == 0xFFFF) {
    return PingError(PingError::Case::checksumOutOfBounds);
  }
  return static_cast<std::uint16_t>(~sum & 0xFFFF);
}

}  // namespace corvane::ping
