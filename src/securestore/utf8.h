#pragma once
// Strict UTF-8 check, as the store's text conversion needs it: no overlong forms, no
// UTF-16 surrogates (U+D800-U+DFFF), nothing above U+10FFFF, no truncated sequences.
#include <string_view>

namespace corvane::securestore {

bool isValidUtf8(std::string_view bytes);

}  // namespace corvane::securestore
