#include "api/records/decoding/out_of_range_numbers.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace corvane::api::decoding {
namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Length of the JSON number grammar's match at `at`, or 0 when the text there is not one.
std::size_t numberLength(std::string_view text, std::size_t at, bool& integral) {
  std::size_t i = at;
  integral = true;
  if (i < text.size() && text[i] == '-') ++i;
  if (i >= text.size() || !isDigit(text[i])) return 0;
  if (text[i] == '0') {
    ++i;
  } else {
    while (i < text.size() && isDigit(text[i])) ++i;
  }
  if (i < text.size() && text[i] == '.') {
    integral = false;
    ++i;
    if (i >= text.size() || !isDigit(text[i])) return 0;
    while (i < text.size() && isDigit(text[i])) ++i;
  }
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    integral = false;
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    if (i >= text.size() || !isDigit(text[i])) return 0;
    while (i < text.size() && isDigit(text[i])) ++i;
  }
  return i - at;
}

bool fitsInteger(std::string_view token) {
  std::int64_t signedValue = 0;
  if (std::from_chars(token.data(), token.data() + token.size(), signedValue).ec == std::errc()) return true;
  std::uint64_t unsignedValue = 0;
  return std::from_chars(token.data(), token.data() + token.size(), unsignedValue).ec == std::errc();
}

// The replacement for `token`, or nothing when the parser reads it as it is.
std::optional<std::string> replacement(std::string_view token, bool integral) {
  if (integral && fitsInteger(token)) return std::nullopt;
  const std::string text(token);
  errno = 0;
  const double value = std::strtod(text.c_str(), nullptr);
  if (std::isinf(value)) return "{\"outOfRangeNumber\":\"" + text + "\"}";
  if (!integral) return std::nullopt;  // in range (underflow to zero is read as zero)
  char buffer[32];
  const int length = std::snprintf(buffer, sizeof buffer, "%.17g", value);
  std::string out(buffer, static_cast<std::size_t>(length));
  // "1.8446744073709552e+19" is a double to the parser; a bare "1e+20" would be too, but make
  // sure a value that prints without exponent or point is not read back as a huge integer.
  if (out.find_first_of(".eE") == std::string::npos) out += ".0";
  return out;
}

}  // namespace

std::optional<std::string> tameOutOfRangeNumbers(std::string_view json) {
  std::string out;
  bool changed = false;
  std::size_t copied = 0;
  std::size_t i = 0;
  while (i < json.size()) {
    const char c = json[i];
    if (c == '"') {
      // Skip the string, escapes included; an unterminated one runs to the end.
      for (++i; i < json.size() && json[i] != '"'; ++i) {
        if (json[i] == '\\') ++i;
      }
      ++i;
      continue;
    }
    if (c != '-' && !isDigit(c)) {
      ++i;
      continue;
    }
    bool integral = true;
    const std::size_t length = numberLength(json, i, integral);
    if (length == 0) {
      ++i;
      continue;
    }
    if (auto swapped = replacement(json.substr(i, length), integral)) {
      out.append(json.substr(copied, i - copied));
      out += *swapped;
      copied = i + length;
      changed = true;
    }
    i += length;
  }
  if (!changed) return std::nullopt;
  out.append(json.substr(copied));
  return out;
}

}  // namespace corvane::api::decoding
