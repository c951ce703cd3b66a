#pragma once
// Checks shared by the ss:// link and the JSON reader of a Shadowsocks configuration.
#include <string>
#include <string_view>

#include "platform/core/result.h"

namespace corvane::daemon::engines::shadowsocks {

// AEAD ciphers only; a stream cipher is refused with its own reason.
Result<void> checkMethod(const std::string& method, std::string_view where);
bool isHostName(std::string_view host);
// Secrets end up in a C string inside ss-redir (a NUL would silently shorten the password)
// and in a JSON file (which holds UTF-8 text only).
bool isCleanSecret(std::string_view text);

}  // namespace corvane::daemon::engines::shadowsocks
