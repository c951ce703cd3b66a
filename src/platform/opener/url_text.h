#pragma once
// The URL checks the screens make before handing a text to the opener.
#include <string>
#include <string_view>

namespace corvane::platform {

// True when `text` is an absolute URI (scheme, then the rest per RFC 3986): the only kind a
// desktop can open. Spaces, raw non-ASCII characters and empty texts are refused.
bool formsValidUrl(std::string_view text);

// True when `text` is a valid URL (as above) whose scheme is one the client hands to the
// desktop: http, https, mailto or tg (the support chat's own), compared without case.
// Anything else (file:, smb:, ssh:, a desktop file...) could start a local program or read a
// local file, so a link from the server with such a scheme is never opened.
bool isOpenableUrl(std::string_view text);

// Percent-encodes an e-mail address for the recipient part of a "mailto:" URL: only
// unreserved characters, "@" and the delimiters that cannot end the address ("!$'()*+;:")
// stay, so "?", "&", "=", "#", "%", "," and "/" in a stored address cannot add header fields
// (attach=, bcc=) or a second recipient.
std::string percentEncodeMailAddress(std::string_view address);

// Percent-encodes every byte outside the characters allowed in a URL query (unreserved,
// sub-delims, ":", "@", "/", "?"). "%" itself is escaped, so the result never holds an
// escape the input did not ask for. Non-ASCII text is escaped byte by byte as UTF-8.
std::string percentEncodeQuery(std::string_view text);

}  // namespace corvane::platform
