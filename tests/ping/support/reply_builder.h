#pragma once
// Builds received datagrams for the validation tests: an IPv4 header (with options when
// asked) and an echo message, with the checksum the way a peer would compute it.
#include <cstdint>
#include <optional>
#include <vector>

#include "ping/fingerprint.h"

namespace corvane::ping::testing {

// The RFC 1071 Internet checksum over `bytes` in network order, written independently of the
// engine's little-endian formulation: big-endian words, an odd byte padded with zero.
std::uint16_t internetChecksum(const std::vector<std::uint8_t>& bytes);

struct ReplySpec {
  std::uint8_t type = 0;
  std::uint8_t code = 0;
  std::uint16_t identifier = 0x1234;
  std::uint16_t sequence = 0;
  Fingerprint fingerprint{};
  std::vector<std::uint8_t> filler;
  // IPv4 header length in bytes (20 to 60, a multiple of 4).
  std::size_t headerLength = 20;
  std::uint8_t protocol = 1;
  std::uint8_t version = 4;
  // When set, stored instead of the right checksum.
  std::optional<std::uint16_t> checksumOverride;
};

std::vector<std::uint8_t> buildReply(const ReplySpec& shape);

// A fixed, recognisable fingerprint for tests.
Fingerprint testFingerprint(std::uint8_t seed);

}  // namespace corvane::ping::testing
