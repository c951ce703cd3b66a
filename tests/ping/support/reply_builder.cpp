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

std::vector<std::uint8_t> buildReply(const ReplySpec& spec) {
  std::vector<std::uint8_t> datagram(spec.headerLength, 0);
  datagram[0] = static_cast<std::uint8_t>(spec.version << 4 | (spec.headerLength / 4));
  datagram[8] = 64;
  datagram[9] = spec.protocol;
  datagram[12] = 127;
  datagram[15] = 1;
  datagram[16] = 127;
  datagram[19] = 1;
  for (std::size_t i = 20; i < spec.headerLength; ++i) {
    datagram[i] = 1;  // NOP options
  }

  std::vector<std::uint8_t> icmp = {spec.type,
                                    spec.code,
                                    0,
                                    0,
                                    static_cast<std::uint8_t>(spec.identifier >> 8),
                                    static_cast<std::uint8_t>(spec.identifier),
                                    static_cast<std::uint8_t>(spec.sequence >> 8),
                                    static_cast<std::uint8_t>(spec.sequence)};
  icmp.insert(icmp.end(), spec.fingerprint.begin(), spec.fingerprint.end());
  icmp.insert(icmp.end(), spec.filler.begin(), spec.filler.end());
  const std::uint16_t checksum = spec.checksumOverride.value_or(internetChecksum(icmp));
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
