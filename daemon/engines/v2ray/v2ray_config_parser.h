#pragma once
// Reads a server's V2ray JSON. Refused: log file paths, the api and any other control
// interface, inbounds listening off loopback, anything naming a file (certificate files,
// domain sockets, external rule files), turning certificate checks off, and outbound
// protocols outside a known list. Inbounds that pass are dropped: the service writes its own.
#include <string_view>

#include "daemon/engines/v2ray/v2ray_config.h"
#include "platform/core/result.h"

namespace corvane::daemon::engines::v2ray {

inline constexpr std::size_t kMaxV2rayConfigBytes = 256 * 1024;

Result<V2rayConfig> parseV2rayConfig(std::string_view text);

}  // namespace corvane::daemon::engines::v2ray
