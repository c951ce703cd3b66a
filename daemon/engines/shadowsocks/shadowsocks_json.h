#pragma once
// The shadowsocks-libev JSON object ("server", "server_port", "password", "method", ...).
#include <nlohmann/json.hpp>

#include "daemon/engines/shadowsocks/shadowsocks_config.h"
#include "platform/core/result.h"

namespace corvane::daemon::engines::shadowsocks {

Result<ShadowsocksConfig> parseShadowsocksJson(const nlohmann::json& json);

}  // namespace corvane::daemon::engines::shadowsocks
