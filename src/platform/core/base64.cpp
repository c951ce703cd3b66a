#include "platform/core/base64.h"

#include <array>

namespace corvane::platform {
namespace {

constexpr std::string_view kLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr std::int8_t kNotALetter = -1;

constexpr std::array<std::int8_t, 256> makeValues(bool urlSafe) {
  std::array<std::int8_t, 256> table{};
  table.fill(kNotALetter);
  for (std::size_t i = 0; i < kLetters.size(); ++i) {
    table[static_cast<unsigned char>(kLetters[i])] = static_cast<std::int8_t>(i);
  }
  if (urlSafe) {
    table[static_cast<unsigned char>('-')] = 62;
    table[static_cast<unsigned char>('_')] = 63;
  }
  return table;
}

constexpr auto kStandardValues = makeValues(false);
constexpr auto kEitherValues = makeValues(true);

// The letters that carry data, once the padding `rules` allow is taken off; none when the
// padding is wrong.
std::optional<std::string_view> dataLetters(std::string_view text, const Base64Rules& rules) {
  if (rules.paddingOptional) {
    while (!text.empty() && text.back() == '=') text.remove_suffix(1);
    return text;
  }
  if (text.size() % 4 != 0) return std::nullopt;
  std::size_t padding = 0;
  if (!text.empty() && text.back() == '=') ++padding;
  if (text.size() >= 2 && text[text.size() - 2] == '=') ++padding;
  return text.substr(0, text.size() - padding);
}

// Feeds each decoded byte to `put`; false when a letter is outside the alphabet, a lone
// letter is left over, or (canonical) the leftover bits are not zero.
template <class Put>
bool decodeLetters(std::string_view letters, const Base64Rules& rules, Put&& put) {
  const auto& values = rules.eitherAlphabet ? kEitherValues : kStandardValues;
  std::uint32_t buffer = 0;
  int bits = 0;
  for (char c : letters) {
    const std::int8_t value = values[static_cast<unsigned char>(c)];
    if (value == kNotALetter) return false;  // '=' inside, whitespace, letters of the other alphabet
    buffer = ((buffer << 6) | static_cast<std::uint32_t>(value)) & 0xFFFFFF;
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      if (!put(static_cast<std::uint8_t>((buffer >> bits) & 0xFF))) return false;
    }
  }
  if (bits >= 6) return false;
  if (rules.canonical && (buffer & ((1u << bits) - 1)) != 0) return false;
  return true;
}

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

std::optional<std::string> base64Decode(std::string_view text, Base64Rules rules) {
  const auto letters = dataLetters(text, rules);
  if (!letters) return std::nullopt;
  std::string out;
  out.reserve(letters->size() / 4 * 3 + 2);
  const bool ok = decodeLetters(*letters, rules, [&out](std::uint8_t byte) {
    out.push_back(static_cast<char>(byte));
    return true;
  });
  if (!ok) return std::nullopt;
  return out;
}

std::optional<std::size_t> base64DecodeInto(std::string_view text, std::span<std::uint8_t> out, Base64Rules rules) {
  const auto letters = dataLetters(text, rules);
  if (!letters) return std::nullopt;
  std::size_t written = 0;
  const bool ok = decodeLetters(*letters, rules, [&out, &written](std::uint8_t byte) {
    if (written == out.size()) return false;
    out[written++] = byte;
    return true;
  });
  if (!ok) return std::nullopt;
  return written;
}

}  // namespace corvane::platform
