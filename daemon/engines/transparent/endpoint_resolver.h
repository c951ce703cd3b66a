#pragma once
// A server's host name or address as the numeric address the rules and the kill switch need.
#include <optional>
#include <string>

namespace corvane::daemon::engines::transparent {

std::optional<std::string> resolveServerAddress(const std::string& host);

}  // namespace corvane::daemon::engines::transparent
