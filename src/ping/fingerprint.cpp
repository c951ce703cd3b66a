#include "ping/fingerprint.h"

#include <cstdio>
#include <random>

namespace corvane::ping {

Fingerprint makeFingerprint() {
  std::random_device source;
  Fingerprint bytes{};
  for (std::size_t i = 0; i < bytes.size(); i += 4) {
    const std::uint32_t word = source();
    for (std::size_t j = 0; j < 4; ++j) {
      bytes[i + j] = static_cast<std::uint8_t>(word >> (8 * j));
    }
  }
  // RFC 4122 version 4 (random) and variant 10xx bits.
  bytes[6] = static_cast<std::uint8_t>((bytes[6] & 0x0F) | 0x40);
  bytes[8] = static_cast<std::uint8_t>((bytes[8] & 0x3F) | 0x80);
  return bytes;
}

std::string fingerprintText(const Fingerprint& f) {
  char text[37];
  std::snprintf(text, sizeof text,
                "%02x%02x%02x%02x-%02x%02x-%02x%02x-%02x%02x-%02x%02x%02x%02x%02x%02x", f[0], f[1],
                f[2], f[3], f[4], f[5], f[6], f[7], f[8], f[9], f[10], f[11], f[12], f[13], f[14],
                f[15]);
  return text;
}

}  // namespace corvane::ping
