#include "daemon/engines/wireguard/wireguard_key.h"

#include <cstring>

#include "platform/core/base64.h"

namespace corvane::daemon::engines::wireguard {

WireGuardKey::~WireGuardKey() { explicit_bzero(bytes_.data(), bytes_.size()); }

std::optional<WireGuardKey> WireGuardKey::fromBase64(std::string_view text) {
  // Strict and padded, 32 bytes are exactly 43 letters and one '='; canonical, the last
  // letter's two spare bits are zero, or the text is not the form of any key.
  WireGuardKey key;
  const auto written = platform::base64DecodeInto(text, key.bytes_, {.canonical = true});
  if (written != key.bytes_.size()) return std::nullopt;
  return key;
}

std::string WireGuardKey::hex() const {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  out.reserve(64);
  for (auto b : bytes_) {
    out += kHex[b >> 4];
    out += kHex[b & 0xf];
  }
  return out;
}

std::string WireGuardKey::base64() const {
  return platform::base64Encode(std::string_view(reinterpret_cast<const char*>(bytes_.data()), bytes_.size()));
}

}  // namespace corvane::daemon::engines::wireguard
