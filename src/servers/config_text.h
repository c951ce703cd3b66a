#pragma once
// Decoding of a server's "config" field: strict standard Base64 (padding required, nothing
// outside the alphabet, not even a line break), then strict UTF-8. A configuration that
// fails either step is not stored at all rather than stored half-decoded.
#include <optional>
#include <string>
#include <string_view>

namespace corvane::servers {

// Both steps; none when either fails.
std::optional<std::string> decodeServerConfig(std::string_view base64);

}  // namespace corvane::servers
