#pragma once
// Reads an engine's JSON configuration with nlohmann::json, without exceptions, after a cheap
// scan that refuses nesting deeper than 32 levels (the recursive parser would otherwise spend
// the stack on hostile input). Comments are accepted, as v2ray accepts them; they are gone
// once the service writes the configuration back out.
#include <string_view>

#include <nlohmann/json.hpp>

#include "platform/core/result.h"

namespace corvane::daemon::engines {

Result<nlohmann::json> parseJsonText(std::string_view text, std::string_view what, std::size_t maxBytes);

}  // namespace corvane::daemon::engines
