#include "platform/device/device_text.h"

#include <algorithm>

namespace corvane::platform {
namespace {

bool isControl(unsigned char c) { return c < 0x20 || c == 0x7F; }
bool isAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isAsciiDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view trimSpaces(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) {
    s.remove_prefix(1);
  }
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
    s.remove_suffix(1);
  }
  return s;
}

// os-release values follow shell quoting: "..." (with \" \\ \$ \` escapes) or '...'.
std::string unquote(std::string_view value) {
  if (value.size() >= 2 && value.front() == '\'' && value.back() == '\'') {
    return std::string(value.substr(1, value.size() - 2));
  }
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
    value = value.substr(1, value.size() - 2);
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
      if (value[i] == '\\' && i + 1 < value.size() &&
          std::string_view("\"\\$`").find(value[i + 1]) != std::string_view::npos) {
        ++i;
      }
      out += value[i];
    }
    return out;
  }
  return std::string(value);
}

}  // namespace

std::string asciiTrimmed(std::string_view field) {
  if (std::any_of(field.begin(), field.end(), [](char c) { return static_cast<unsigned char>(c) > 0x7F; })) {
    return {};
  }
  while (!field.empty() && isControl(static_cast<unsigned char>(field.front()))) {
    field.remove_prefix(1);
  }
  while (!field.empty() && isControl(static_cast<unsigned char>(field.back()))) {
    field.remove_suffix(1);
  }
  return std::string(field);
}

std::string chosenLocale(const char* lcAll, const char* lcMessages, const char* lang) {
  for (const char* value : {lcAll, lcMessages, lang}) {
    if (value != nullptr && *value != '\0') {
      return value;
    }
  }
  return {};
}

std::optional<std::string> regionFromLocale(std::string_view locale) {
  // language[_territory][.codeset][@modifier]
  locale = locale.substr(0, locale.find_first_of(".@"));
  if (locale == "C" || locale == "POSIX") {
    return std::nullopt;
  }
  const auto underscore = locale.find('_');
  if (underscore == std::string_view::npos) {
    return std::nullopt;
  }
  const std::string_view territory = locale.substr(underscore + 1);
  if (territory.size() == 2 && std::all_of(territory.begin(), territory.end(), isAsciiLetter)) {
    std::string region(territory);
    std::transform(region.begin(), region.end(), region.begin(),
                   [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; });
    return region;
  }
  if (territory.size() == 3 && std::all_of(territory.begin(), territory.end(), isAsciiDigit)) {
    return std::string(territory);
  }
  return std::nullopt;
}

std::optional<std::string> osReleaseVersionId(std::string_view osRelease) {
  std::optional<std::string> found;
  while (!osRelease.empty()) {
    const auto end = osRelease.find('\n');
    const std::string_view line = trimSpaces(osRelease.substr(0, end));
    osRelease = end == std::string_view::npos ? std::string_view() : osRelease.substr(end + 1);
    constexpr std::string_view kKey = "VERSION_ID=";
    if (line.starts_with(kKey)) {
      // Like a shell sourcing the file, the last assignment wins.
      found = unquote(trimSpaces(line.substr(kKey.size())));
    }
  }
  if (found && found->empty()) {
    return std::nullopt;
  }
  return found;
}

std::string formatUuidV4(std::array<std::uint8_t, 16> bytes) {
  bytes[6] = static_cast<std::uint8_t>((bytes[6] & 0x0F) | 0x40);  // version 4
  bytes[8] = static_cast<std::uint8_t>((bytes[8] & 0x3F) | 0x80);  // RFC 4122 variant
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(36);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) {
      out += '-';
    }
    out += kHex[bytes[i] >> 4];
    out += kHex[bytes[i] & 0x0F];
  }
  return out;
}

}  // namespace corvane::platform
