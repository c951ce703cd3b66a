#pragma once
// The URL checks the screens make before handing a text to the opener.
#include <string>
#include <string_view>

namespace corvane::platform {

// True when `text` is an absolute URI (scheme, then the rest per RFC 3986): the only kind a
// desktop can open. Spaces, raw non-ASCII characters and empty texts are refused.
bool formsValidUrl(std::string_view text);

// Percent-encodes every byte outside the characters allowed in a URL query (unreserved,
// sub-delims, ":", "@", "/", "?"). "%" itself is escaped, so the result never holds an
// escape the input did not ask for. Non-ASCII text is escaped byte by byte as UTF-8.
std::string percentEncodeQuery(std::string_view text);

}  // namespace corvane::platform
