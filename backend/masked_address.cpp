#include "backend/masked_address.h"

#include <sodium.h>

#include <array>

namespace corvane::backend {
namespace {

// The first character of `s` as UTF-8 (a lead byte and its continuation bytes).
std::string firstCharacter(std::string_view s) {
  if (s.empty()) return "*";
  size_t n = 1;
  while (n < s.size() && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) ++n;
  return std::string(s.substr(0, n));
}

}  // namespace

std::string maskedAddress(std::string_view address) {
  const size_t at = address.rfind('@');
  if (at == std::string_view::npos) return firstCharacter(address) + "***";
  const std::string_view local = address.substr(0, at);
  const std::string_view domain = address.substr(at + 1);
  const size_t dot = domain.rfind('.');
  const std::string_view top = dot == std::string_view::npos ? std::string_view() : domain.substr(dot);
  return firstCharacter(local) + "***@" + firstCharacter(domain) + "***" + std::string(top);
}

std::string inventedMask(std::string_view nameKey, std::string_view secret) {
  std::array<unsigned char, 16> h{};
  std::array<unsigned char, crypto_generichash_KEYBYTES> key{};
  crypto_generichash(key.data(), key.size(), reinterpret_cast<const unsigned char*>(secret.data()), secret.size(),
                     nullptr, 0);
  crypto_generichash(h.data(), h.size(), reinterpret_cast<const unsigned char*>(nameKey.data()), nameKey.size(),
                     key.data(), key.size());
  constexpr const char* kTops[] = {".com", ".net", ".org", ".de", ".io"};
  std::string out;
  out += static_cast<char>('a' + h[0] % 26);
  out += "***@";
  out += static_cast<char>('a' + h[1] % 26);
  out += "***";
  out += kTops[h[2] % std::size(kTops)];
  return out;
}

}  // namespace corvane::backend
