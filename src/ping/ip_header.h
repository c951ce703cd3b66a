#pragma once
// A byte-for-byte copy of the first 20 bytes of a received IPv4 datagram. The 16-bit fields
// keep network byte order exactly as they arrived: nothing is converted.
#include <array>
#include <cstdint>
#include <cstring>
#include <span>

namespace corvane::ping {

struct IPHeader {
  std::uint8_t versionAndHeaderLength = 0;
  std::uint8_t differentiatedServices = 0;
  std::uint16_t totalLength = 0;
  std::uint16_t identification = 0;
  std::uint16_t flagsAndFragmentOffset = 0;
  std::uint8_t timeToLive = 0;
  std::uint8_t protocol = 0;
  std::uint16_t headerChecksum = 0;
  std::array<std::uint8_t, 4> sourceAddress{};
  std::array<std::uint8_t, 4> destinationAddress{};

  static constexpr std::size_t kSize = 20;

  // Copies the first 20 bytes of `datagram`, which must hold at least that many.
  static IPHeader copyFrom(std::span<const std::uint8_t> datagram) {
    IPHeader header;
    const std::uint8_t* p = datagram.data();
    header.versionAndHeaderLength = p[0];
    header.differentiatedServices = p[1];
    std::memcpy(&header.totalLength, p + 2, 2);
    std::memcpy(&header.identification, p + 4, 2);
    std::memcpy(&header.flagsAndFragmentOffset, p + 6, 2);
    header.timeToLive = p[8];
    header.protocol = p[9];
    std::memcpy(&header.headerChecksum, p + 10, 2);
    std::memcpy(header.sourceAddress.data(), p + 12, 4);
    std::memcpy(header.destinationAddress.data(), p + 16, 4);
    return header;
  }

  friend bool operator==(const IPHeader&, const IPHeader&) = default;
};

}  // namespace corvane::ping
