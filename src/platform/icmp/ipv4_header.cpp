#include "platform/icmp/ipv4_header.h"

#include <cstring>

namespace corvane::platform {

std::array<std::uint8_t, 20> buildIpv4Header(const Ipv4HeaderFields& fields) {
  std::array<std::uint8_t, 20> h{};
  h[0] = 0x45;
  h[1] = fields.typeOfService;
  const std::uint32_t total = 20u + fields.payloadLength;
  // A datagram longer than 65535 bytes cannot arrive; saturate rather than wrap.
  const std::uint16_t totalLength = total > 0xFFFF ? 0xFFFF : static_cast<std::uint16_t>(total);
  h[2] = static_cast<std::uint8_t>(totalLength >> 8);
  h[3] = static_cast<std::uint8_t>(totalLength & 0xFF);
  h[8] = fields.timeToLive;
  h[9] = fields.protocol;
  std::memcpy(&h[12], &fields.sourceAddress, 4);
  std::memcpy(&h[16], &fields.destinationAddress, 4);

  std::uint32_t sum = 0;
  for (std::size_t i = 0; i < h.size(); i += 2) {
    sum += static_cast<std::uint32_t>(h[i] << 8 | h[i + 1]);
  }
  while (sum > 0xFFFF) {
    sum = (sum >> 16) + (sum & 0xFFFF);
  }
  const std::uint16_t checksum = static_cast<std::uint16_t>(~sum & 0xFFFF);
  h[10] = static_cast<std::uint8_t>(checksum >> 8);
  h[11] = static_cast<std::uint8_t>(checksum & 0xFF);
  return h;
}

}  // namespace corvane::platform
