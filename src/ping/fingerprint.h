#pragma once
// The 16 bytes that mark one pinger's echoes: a random (version 4) UUID in UUID byte order.
// Every request carries it, and a reply with another fingerprint belongs to another pinger.
#include <array>
#include <cstdint>
#include <string>

namespace corvane::ping {

using Fingerprint = std::array<std::uint8_t, 16>;

// Draws a fresh random UUID from the system's random source.
Fingerprint makeFingerprint();

// A pinger's echo identifier, uniform over 0 to 65534.
std::uint16_t drawIdentifier();

// "xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx", lower case.
std::string fingerprintText(const Fingerprint& fingerprint);

}  // namespace corvane::ping
