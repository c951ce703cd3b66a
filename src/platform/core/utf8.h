#pragma once
// The one UTF-8 codec: a strict check (no overlong forms, no UTF-16 surrogates U+D800-U+DFFF,
// nothing above U+10FFFF, no truncated sequences) and the decoding of one character of text
// already checked. The keychain, the server configuration text, the domain source and the
// command line all check with it.
#include <cstddef>
#include <string_view>

namespace corvane::platform {

bool isValidUtf8(std::string_view bytes);

// For valid UTF-8 only: the length of the sequence that starts with `lead`, and the code
// point of the `length` bytes at `at`.
std::size_t utf8SequenceLength(unsigned char lead);
char32_t decodeUtf8At(std::string_view text, std::size_t at, std::size_t length);

}  // namespace corvane::platform
