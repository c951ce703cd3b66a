#include "daemon/engines/wireguard/wireguard_key.h"

#include <cstring>

namespace corvane::daemon::engines::wireguard {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int sextet(char c) {
  const char* at = std::strchr(kAlphabet, c);
  return (c != '\0' && at) ? static_cast<int>(at - kAlphabet) : -1;
}

}  // namespace

WireGuardKey::~WireGuardKey() { explicit_bzero(bytes_.data(), bytes_.size()); }

std::optional<WireGuardKey> WireGuardKey::fromBase64(std::string_view text) {
  // 32 bytes are 43 significant characters and one '=' of padding; the last character's low
  // two bits must be zero or the text is not the canonical form of any key.
  if (text.size() != 44 || text[43] != '=') return std::nullopt;
  WireGuardKey key;
  std::uint32_t acc = 0;
  int bits = 0;
  std::size_t out = 0;
  for (std::size_t i = 0; i < 43; ++i) {
    int v = sextet(text[i]);
    if (v < 0) return std::nullopt;
    acc = (acc << 6) | static_cast<std::uint32_t>(v);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      key.bytes_[out++] = static_cast<std::uint8_t>((acc >> bits) & 0xff);
    }
  }
  if ((acc & ((1u << bits) - 1)) != 0) return std::nullopt;
  acc = 0;
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
  std::string out;
  std::uint32_t acc = 0;
  int bits = 0;
  for (auto b : bytes_) {
    acc = (acc << 8) | b;
    bits += 8;
    while (bits >= 6) {
      bits -= 6;
      out += kAlphabet[(acc >> bits) & 0x3f];
    }
  }
  out += kAlphabet[(acc << (6 - bits)) & 0x3f];
  out += '=';
  return out;
}

}  // namespace corvane::daemon::engines::wireguard
