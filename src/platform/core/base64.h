#pragma once
// The one Base64 codec (the standard alphabet with padding): the backend encodes server
// configurations and keys with it, and the client decodes them strictly.
#include <optional>
#include <string>
#include <string_view>

namespace corvane::platform {

std::string base64Encode(std::string_view bytes);
// Strict: padding required, nothing outside the alphabet (no line break, no URL-safe
// letters, no '=' inside). None when the text breaks any of that.
std::optional<std::string> base64DecodeStrict(std::string_view text);

}  // namespace corvane::platform
