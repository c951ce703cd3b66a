#pragma once
// JSON numbers the parser cannot hold (2^64, 1e400) are valid JSON, and a server may put one
// under a key the client never reads. The parser rejects the whole document for it, so such
// a document is rewritten before a second parse:
//   - an integer beyond 64 bits becomes the nearest double (as a platform decoder reads it:
//     an integer field then fails its range check, a floating-point field gets the value);
//   - a number beyond the double range becomes an object {"outOfRangeNumber":"<text>"},
//     which every known key rejects as the wrong type and every unknown key ignores.
// Malformed numbers ("01", "1.", "-") are left as they are and still fail the parse.
#include <optional>
#include <string>
#include <string_view>

namespace corvane::api::decoding {

// The rewritten document, or nothing when no number needed rewriting.
std::optional<std::string> tameOutOfRangeNumbers(std::string_view json);

}  // namespace corvane::api::decoding
