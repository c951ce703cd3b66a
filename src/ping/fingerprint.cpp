#include "ping/fingerprint.h"

#include <sys/random.h>

#include <cstdio>
#include <random>

namespace corvane::ping {

Fingerprint makeFingerprint() {
  Fingerprint bytes{};
  // getrandom(2) never returns short for 16 bytes once the pool is ready; the fallback only
  // covers a kernel without it.
  if (getrandom(bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size())) {
    std::random_device source;
    for (auto& b : bytes) b = static_cast<std::uint8_t>(source());
  }
  // RFC 4122 version 4 (random) and variant 10xx bits.
  bytes[6] = static_cast<std::uint8_t>((bytes[6] & 0x0F) | 0x40);
  bytes[8] = static_cast<std::uint8_t>((bytes[8] & 0x3F) | 0x80);
  return bytes;
}

std::uint16_t drawIdentifier() {
  // Seeded once per thread: constructing a random_device for every pinger costs more than
  // the rest of creating one.
  thread_local std::mt19937 engine{std::random_device{}()};
  return static_cast<std::uint16_t>(std::uniform_int_distribution<int>(0, 65534)(engine));
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
