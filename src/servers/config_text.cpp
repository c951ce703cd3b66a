#include "servers/config_text.h"

#include <array>
#include <cstdint>

namespace corvane::servers {

namespace {

constexpr std::array<std::int8_t, 256> makeAlphabet() {
  std::array<std::int8_t, 256> table{};
  table.fill(-1);
  constexpr std::string_view chars =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  for (std::size_t i = 0; i < chars.size(); ++i) {
    table[static_cast<unsigned char>(chars[i])] = static_cast<std::int8_t>(i);
  }
  return table;
}

constexpr auto kAlphabet = makeAlphabet();

}  // namespace

std::optional<std::string> decodeBase64Strict(std::string_view text) {
  if (text.size() % 4 != 0) return std::nullopt;
  std::size_t padding = 0;
  if (!text.empty() && text.back() == '=') ++padding;
  if (text.size() >= 2 && text[text.size() - 2] == '=') ++padding;
  std::string out;
  out.reserve(text.size() / 4 * 3);
  const std::size_t dataChars = text.size() - padding;
  std::uint32_t buffer = 0;
  int bits = 0;
  for (std::size_t i = 0; i < dataChars; ++i) {
    const std::int8_t value = kAlphabet[static_cast<unsigned char>(text[i])];
    if (value < 0) return std::nullopt;  // '=' inside, whitespace, URL-safe letters
    buffer = (buffer << 6) | static_cast<std::uint32_t>(value);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out.push_back(static_cast<char>((buffer >> bits) & 0xFF));
    }
  }
  return out;
}

bool isValidUtf8(std::string_view bytes) {
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    std::size_t length = 0;
    std::uint32_t codePoint = 0;
    if (c < 0x80) {
      ++i;
      continue;
    } else if ((c & 0xE0) == 0xC0) {
      length = 2;
      codePoint = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
      length = 3;
      codePoint = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
      length = 4;
      codePoint = c & 0x07;
    } else {
      return false;
    }
    if (i + length > bytes.size()) return false;
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(bytes[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      codePoint = (codePoint << 6) | (next & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
    constexpr std::uint32_t kMinimum[] = {0, 0, 0x80, 0x800, 0x10000};
    if (codePoint < kMinimum[length] || codePoint > 0x10FFFF ||
        (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
      return false;
    }
    i += length;
  }
  return true;
}

std::optional<std::string> decodeServerConfig(std::string_view base64) {
  auto bytes = decodeBase64Strict(base64);
  if (!bytes || !isValidUtf8(*bytes)) return std::nullopt;
  return bytes;
}

}  // namespace corvane::servers
