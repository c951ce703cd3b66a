#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace corvane::backend {

// `plain` as raw deflate blocks from a fresh window, ended with `flush` (zlib's Z_FULL_FLUSH
// leaves the stream open at a byte boundary, Z_FINISH ends it). Nothing when zlib fails.
std::optional<std::string> rawDeflate(std::string_view plain, int flush);

}  // namespace corvane::backend
