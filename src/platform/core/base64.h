#pragma once
// The one Base64 codec: the backend encodes server configurations and keys with it, the
// client decodes them strictly, and the tunnel service reads WireGuard keys and ss:// links
// with it. Encoding is always the standard alphabet with padding.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace corvane::platform {

// What a decoder accepts beyond the strict form (standard alphabet, padding required,
// nothing else: no line break, no URL-safe letters, no '=' inside).
struct Base64Rules {
  // '-' and '_' count as '+' and '/' too, mixed freely: links in the wild use both alphabets.
  bool eitherAlphabet = false;
  // The '=' at the end may be missing; those present are ignored, however many.
  bool paddingOptional = false;
  // The bits after the last whole byte must be zero, so one byte string has exactly one text
  // (a key that is written one way and read back another is not the same key).
  bool canonical = false;
};

std::string base64Encode(std::string_view bytes);

// None when the text breaks `rules`, or a single character is left over (six bits hold no byte).
std::optional<std::string> base64Decode(std::string_view text, Base64Rules rules);
inline std::optional<std::string> base64DecodeStrict(std::string_view text) { return base64Decode(text, {}); }

// Decodes into `out` without a copy on the heap (for key material the caller wipes): the
// number of bytes written, or none when the text breaks `rules` or does not fit.
std::optional<std::size_t> base64DecodeInto(std::string_view text, std::span<std::uint8_t> out, Base64Rules rules);

}  // namespace corvane::platform
