#pragma once
// The bytes of one ICMP echo request. The kernel adds the IPv4 header on sending.
//
//   0  type 8 | 1 code 0 | 2-3 checksum (little-endian) | 4-5 identifier (big-endian)
//   6-7 sequence number (big-endian) | 8-23 fingerprint | 24.. filler (payloadSize - 16 bytes)
#include <cstdint>
#include <functional>
#include <variant>
#include <vector>

#include "ping/fingerprint.h"
#include "ping/ping_error.h"

namespace corvane::ping {

// Size of the fixed part: type, code, checksum, identifier, sequence and fingerprint.
inline constexpr std::size_t kEchoHeaderSize = 24;
inline constexpr std::size_t kFingerprintOffset = 8;

using RandomByteSource = std::function<std::uint8_t()>;

// The system's general random source, one byte per call.
std::uint8_t systemRandomByte();

// The request for `sequenceNumber`, or the checksum's error (an odd payload: payloadSize 17,
// 19, ...). A payloadSize of 16 or less gives the 24-byte message without filler.
std::variant<std::vector<std::uint8_t>, PingError> buildEchoRequest(
    std::uint16_t identifier, std::uint16_t sequenceNumber, const Fingerprint& fingerprint,
    int payloadSize, const RandomByteSource& randomByte = systemRandomByte);

}  // namespace corvane::ping
