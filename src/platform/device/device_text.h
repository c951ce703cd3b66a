#pragma once
// The pure text rules behind DeviceInfo, kept apart from the system calls so that tests can
// feed them any input.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace corvane::platform {

// A fixed-size identification field (e.g. utsname.machine, all of it, NUL padding included)
// read as ASCII and trimmed of control characters (0x00-0x1F, 0x7F) at both ends. Control
// characters inside are kept. Empty when any byte is not ASCII.
std::string asciiTrimmed(std::string_view field);

// The locale setting that decides the region: the first of LC_ALL, LC_MESSAGES and LANG that
// is set and not empty (null = unset). Empty when none is.
std::string chosenLocale(const char* lcAll, const char* lcMessages, const char* lang);

// The region of a POSIX locale name: "de_DE.UTF-8" → "DE", "es_419" → "419",
// "sr_RS@latin" → "RS". None for "C", "POSIX", "C.UTF-8", a bare language such as "fr", or
// a region that is neither two letters nor three digits.
std::optional<std::string> regionFromLocale(std::string_view locale);

// VERSION_ID of an os-release file's text, unquoted; none when absent or empty.
std::optional<std::string> osReleaseVersionId(std::string_view osRelease);

// Random bytes as a version 4 UUID in the 36-character form, upper-case hex
// ("8-4-4-4-12"); the version and variant bits are set here.
std::string formatUuidV4(std::array<std::uint8_t, 16> bytes);

}  // namespace corvane::platform
