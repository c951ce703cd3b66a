#include "ping/support/reply_builder.h"

namespace corvane::ping::testing {

std::uint16_t internetChecksum(const std::vector<std::uint8_t>& bytes) {
  std::uint32_t sum = 0;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    sum += static_cast<std::uint32_t>(bytes[i]) << 8 | bytes[i + 1];
  }
  if (bytes.size() % 2 == 1) {
    sum += static_cast<std::uint32_t>(bytes.back()) << 8;
  }
  while (sum >> 16) {
    sum = (sum & 0xFFFF) + (sum >> 16);
  }
  return static_cast<std::uint16_t>(~sum);
}

std::vector<std::uint8_t> buildReply(const ReplySpec& shape) {
  std::vector<std::uint8_t> datagram(shape.headerLength, 0);
  datagram[0] = static_cast<std::uint8_t>(shape.version << 4 | (shape.headerLength / 4));
  datagram[8] = 64;
  datagram[9] = shape.protocol;
  datagram[12] = 127;
  datagram[15] = 1;
  datagram[16] = 127;
  datagram[19] = 1;
  for (std::size_t i = 20; i < shape.headerLength; ++i) {
    datagram[i] = 1;  // NOP options
  }

  std::vector<std::uint8_t> icmp = {shape.type,
                                    shape.code,
                                    0,
                                    0,
                                    static_cast<std::uint8_t>(shape.identifier >> 8),
                                    static_cast<std::uint8_t>(shape.identifier),
                                    static_cast<std::uint8_t>(shape.sequence >> 8),
                                    static_cast<std::uint8_t>(shape.sequence)};
  icmp.insert(icmp.end(), shape.fingerprint.begin(), shape.fingerprint.end());
  icmp.insert(icmp.end(), shape.filler.begin(), shape.filler.end());
  const std::uint16_t checksum = shape.checksumOverride.value_or(internetChecksum(icmp));
  // Network order on the wire.
  icmp[2] = static_cast<std::uint8_t>(checksum >> 8);
  icmp[3] = static_cast<std::uint8_t>(checksum);

  const std::size_t total = datagram.size() + icmp.size();
  datagram[2] = static_cast<std::uint8_t>(total >> 8);
  datagram[3] = static_cast<std::uint8_t>(total);
  datagram.insert(datagram.end(), icmp.begin(), icmp.end());
  return datagram;
}

Fingerprint testFingerprint(std::uint8_t seed) {
  Fingerprint f{};
  for (std::size_t i = 0; i < f.size(); ++i) {
    f[i] = static_cast<std::uint8_t>(seed + 17 * i);
  }
  return f;
}

}  // namespace corvane::ping::testing
