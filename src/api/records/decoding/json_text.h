#pragma once
// The bytes of one JSON answer, handed to the record decoders.
//
// The parser reads in 64-byte blocks and may look up to kJsonPadding bytes past the end of the
// text. When the caller can promise that those bytes are readable (a std::string with that much
// spare capacity, or a buffer it padded itself) the text is parsed in place; otherwise the
// decoder copies it once into a padded buffer. Correctness never depends on the caller: an
// unpadded text is simply copied.
#include <cstddef>
#include <string>
#include <string_view>

namespace corvane::api {

inline constexpr std::size_t kJsonPadding = 64;

class JsonText {
 public:
  JsonText(std::string_view text) noexcept : text_(text) {}  // NOLINT(google-explicit-constructor)
  JsonText(const char* text) noexcept : text_(text) {}       // NOLINT(google-explicit-constructor)
  // A string whose capacity leaves kJsonPadding spare bytes is read in place: an HTTP body
  // collected with `body.reserve(expected + kJsonPadding)` is never copied.
  JsonText(const std::string& text) noexcept  // NOLINT(google-explicit-constructor)
      : text_(text), padded_(text.capacity() - text.size() >= kJsonPadding) {}

  // The caller guarantees kJsonPadding readable bytes after the end of `text`.
  static JsonText withPadding(std::string_view text) noexcept {
    JsonText json(text);
    json.padded_ = true;
    return json;
  }

  std::string_view text() const noexcept { return text_; }
  bool padded() const noexcept { return padded_; }

 private:
  std::string_view text_;
  bool padded_ = false;
};

}  // namespace corvane::api
