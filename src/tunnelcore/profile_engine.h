#pragma once
// Which engine runs a profile's content, told from the content itself: a profile is only a
// configuration text, and the tunnel service must be told the engine.
//   WireGuard    an INI text with an "[Interface]" or "[Peer]" section
//   V2ray        a JSON object with "inbounds" or "outbounds"
//   Shadowsocks  a JSON object with "server" and "method"
//   OpenVPN      a text with a "remote" directive
// Errors never quote the content: it holds keys and passwords.
#include <string>
#include <string_view>

#include "platform/core/result.h"

namespace corvane::tunnelcore {

Result<std::string> profileEngine(std::string_view content);

}  // namespace corvane::tunnelcore
