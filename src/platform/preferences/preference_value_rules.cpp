#include "platform/preferences/preference_value_rules.h"

#include <cctype>
#include <limits>

namespace corvane::platform {
namespace {

bool equalsIgnoringCase(std::string_view text, std::string_view word) {
  if (text.size() != word.size()) {
    return false;
  }
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) != word[i]) {
      return false;
    }
  }
  return true;
}

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) {
    text.remove_prefix(1);
  }
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) {
    text.remove_suffix(1);
  }
  return text;
}

}  // namespace

std::int64_t leadingInteger(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) {
    ++i;
  }
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  // Accumulate as a negative number so that INT64_MIN itself fits; saturate past either end.
  constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
  std::int64_t value = 0;
  bool saturated = false;
  for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
    const int digit = text[i] - '0';
    if (value < (kMin + digit) / 10) {
      saturated = true;
      break;
    }
    value = value * 10 - digit;
  }
  if (saturated) {
    return negative ? kMin : std::numeric_limits<std::int64_t>::max();
  }
  if (negative) {
    return value;
  }
  return value == kMin ? std::numeric_limits<std::int64_t>::max() : -value;
}

bool flagFromValue(const PreferenceValue& value) {
  if (const bool* flag = std::get_if<bool>(&value)) {
    return *flag;
  }
  if (const std::int64_t* integer = std::get_if<std::int64_t>(&value)) {
    return *integer != 0;
  }
  const std::string_view text = trimmed(std::get<std::string>(value));
  if (equalsIgnoringCase(text, "yes") || equalsIgnoringCase(text, "true")) {
    return true;
  }
  return leadingInteger(text) != 0;
}

std::int64_t integerFromValue(const PreferenceValue& value) {
  if (const bool* flag = std::get_if<bool>(&value)) {
    return *flag ? 1 : 0;
  }
  if (const std::int64_t* integer = std::get_if<std::int64_t>(&value)) {
    return *integer;
  }
  return leadingInteger(std::get<std::string>(value));
}

std::string textFromValue(const PreferenceValue& value) {
  if (const bool* flag = std::get_if<bool>(&value)) {
    return *flag ? "1" : "0";
  }
  if (const std::int64_t* integer = std::get_if<std::int64_t>(&value)) {
    return std::to_string(*integer);
  }
  return std::get<std::string>(value);
}

}  // namespace corvane::platform
