#pragma once
// Builds the 20-byte IPv4 header of a received ICMP message from what the kernel reports
// beside it. The unprivileged ICMP socket hands over the ICMP message only, while the reply
// validation reads a whole datagram; this puts back what the wire carried.
#include <array>
#include <cstdint>

namespace corvane::platform {

struct Ipv4HeaderFields {
  std::uint8_t typeOfService = 0;
  std::uint8_t timeToLive = 0;
  std::uint8_t protocol = 1;  // ICMP
  // Bytes after the header.
  std::uint16_t payloadLength = 0;
  // Network byte order, as in sockaddr_in / in_pktinfo.
  std::uint32_t sourceAddress = 0;
  std::uint32_t destinationAddress = 0;
};

// Version 4, a 20-byte header (no options), identification and fragment fields 0, and a
// correct header checksum.
std::array<std::uint8_t, 20> buildIpv4Header(const Ipv4HeaderFields& fields);

}  // namespace corvane::platform
