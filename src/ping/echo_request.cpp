#include "ping/echo_request.h"

#include <random>

#include "ping/echo_checksum.h"
#include "ping/icmp_type.h"

namespace corvane::ping {

std::uint8_t systemRandomByte() {
  // Seeded once per thread from the system source; the filler only has to vary, it is not a
  // secret.
  thread_local std::mt19937 engine{std::random_device{}()};
  return static_cast<std::uint8_t>(engine() & 0xFF);
}

std::variant<std::vector<std::uint8_t>, PingError> buildEchoRequest(
    std::uint16_t identifier, std::uint16_t sequenceNumber, const Fingerprint& fingerprint,
    int payloadSize, const RandomByteSource& randomByte) {
  const std::size_t fillerSize = payloadSize > 16 ? static_cast<std::size_t>(payloadSize - 16) : 0;
  std::vector<std::uint8_t> message(kEchoHeaderSize + fillerSize, 0);
  message[0] = static_cast<std::uint8_t>(ICMPType::EchoRequest);
  message[1] = 0;
  message[4] = static_cast<std::uint8_t>(identifier >> 8);
  message[5] = static_cast<std::uint8_t>(identifier & 0xFF);
  message[6] = static_cast<std::uint8_t>(sequenceNumber >> 8);
  message[7] = static_cast<std::uint8_t>(sequenceNumber & 0xFF);
  std::copy(fingerprint.begin(), fingerprint.end(), message.begin() + kFingerprintOffset);
  for (std::size_t i = kEchoHeaderSize; i < message.size(); ++i) {
    message[i] = randomByte();
  }

  EchoChecksumInput input;
  input.type = message[0];
  input.code = message[1];
  input.identifierField = {message[4], message[5]};
  input.sequenceField = {message[6], message[7]};
  input.payload = std::span<const std::uint8_t>(message).subspan(kFingerprintOffset);
  auto checksum = echoChecksum(input);
  if (auto* error = std::get_if<PingError>(&checksum)) {
    return *error;
  }
  const std::uint16_t value = std::get<std::uint16_t>(checksum);
  message[2] = static_cast<std::uint8_t>(value & 0xFF);
  message[3] = static_cast<std::uint8_t>(value >> 8);
  return message;
}

}  // namespace corvane::ping
