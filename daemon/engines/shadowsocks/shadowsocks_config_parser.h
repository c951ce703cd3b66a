#pragma once
// Reads a server's Shadowsocks configuration: an ss:// link (SIP002, or the older form that
// Base64-encodes the whole "method:password@host:port") or a shadowsocks-libev JSON object.
// Plugins are refused (a plugin is a program ss-redir would start), as are ACL files, user
// switches and listeners off loopback. Only AEAD ciphers are accepted: the stream ciphers
// have no integrity protection.
#include <string_view>

#include "daemon/engines/shadowsocks/shadowsocks_config.h"
#include "platform/core/result.h"

namespace corvane::daemon::engines::shadowsocks {

inline constexpr std::size_t kMaxShadowsocksConfigBytes = 16 * 1024;

Result<ShadowsocksConfig> parseShadowsocksConfig(std::string_view text);

}  // namespace corvane::daemon::engines::shadowsocks
