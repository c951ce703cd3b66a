#include "defaults_values.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "platform/log/log.h"

namespace corvane::cli {
using platform::PreferenceValue;

namespace {

std::string lowered(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}

std::string jsonText(const std::string& text) {
  // Stored texts may hold any bytes; show invalid UTF-8 as U+FFFD instead of failing.
  return nlohmann::json(text).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace

keys::PreferenceType typeOfValue(const PreferenceValue& value) {
  if (std::holds_alternative<bool>(value)) {
    return keys::PreferenceType::flag;
  }
  if (std::holds_alternative<std::int64_t>(value)) {
    return keys::PreferenceType::integer;
  }
  return keys::PreferenceType::text;
}

Result<PreferenceValue> parseValue(keys::PreferenceType type, std::string_view text) {
  if (type == keys::PreferenceType::text) {
    return PreferenceValue(std::string(text));
  }
  if (type == keys::PreferenceType::flag) {
    const std::string word = lowered(text);
    if (word == "true" || word == "yes" || word == "1") {
      return PreferenceValue(true);
    }
    if (word == "false" || word == "no" || word == "0") {
      return PreferenceValue(false);
    }
    return Error("usage", 2,
                 "not a flag: `" + std::string(text) + "' (true, false, yes, no, 1 or 0)");
  }
  std::int64_t number = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, number);
  if (text.empty() || error != std::errc() || stop != end) {
    return Error("usage", 2, "not a 64-bit integer: `" + std::string(text) + "'");
  }
  return PreferenceValue(number);
}

std::string plainValue(const PreferenceValue& value) {
  if (const bool* flag = std::get_if<bool>(&value)) {
    return *flag ? "true" : "false";
  }
  if (const std::int64_t* integer = std::get_if<std::int64_t>(&value)) {
    return std::to_string(*integer);
  }
  return std::get<std::string>(value);
}

std::string oneLineValue(const PreferenceValue& value) {
  if (const std::string* text = std::get_if<std::string>(&value)) {
    return jsonText(*text);
  }
  return plainValue(value);
}

nlohmann::json jsonValue(const PreferenceValue& value) {
  if (const bool* flag = std::get_if<bool>(&value)) {
    return *flag;
  }
  if (const std::int64_t* integer = std::get_if<std::int64_t>(&value)) {
    return *integer;
  }
  // Parsed back from its own escaped form, so invalid UTF-8 cannot make dump() throw later.
  return nlohmann::json::parse(jsonText(std::get<std::string>(value)));
}

PreferenceValue maskedValue(const PreferenceValue& value) {
  if (const std::string* text = std::get_if<std::string>(&value)) {
    return platform::maskSecret(*text);
  }
  return value;
}

}  // namespace corvane::cli
