#include "platform/core/base64.h"

#include <array>
#include <cstdint>

namespace corvane::platform {
namespace {

constexpr std::string_view kLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

constexpr std::array<std::int8_t, 256> makeValues() {
  std::array<std::int8_t, 256> table{};
  table.fill(-1);
  for (std::size_t i = 0; i < kLetters.size(); ++i) {
    table[static_cast<unsigned char>(kLetters[i])] = static_cast<std::int8_t>(i);
  }
  return table;
}

constexpr auto kValues = makeValues();

}  // namespace

std::string base64Encode(std::string_view bytes) {
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  std::size_t i = 0;
  for (; i + 3 <= bytes.size(); i += 3) {
    const std::uint32_t group = (static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])) << 16) |
                                (static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8) |
                                static_cast<unsigned char>(bytes[i + 2]);
    for (int shift = 18; shift >= 0; shift -= 6) out.push_back(kLetters[(group >> shift) & 0x3F]);
  }
  const std::size_t rest = bytes.size() - i;
  if (rest > 0) {
    std::uint32_t group = static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])) << 16;
    if (rest == 2) group |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8;
    out.push_back(kLetters[(group >> 18) & 0x3F]);
    out.push_back(kLetters[(group >> 12) & 0x3F]);
    out.push_back(rest == 2 ? kLetters[(group >> 6) & 0x3F] : '=');
    out.push_back('=');
  }
  return out;
}

std::optional<std::string> base64DecodeStrict(std::string_view text) {
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
    const std::int8_t value = kValues[static_cast<unsigned char>(text[i])];
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

}  // namespace corvane::platform
