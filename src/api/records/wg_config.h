#pragma once
// The WireGuard configuration answer: "result" holds the configuration text, or the literal
// "success".
#include <optional>
#include <string>

namespace corvane::api {

struct WGConfig {
  std::optional<std::string> result;  // "result"

  friend bool operator==(const WGConfig&, const WGConfig&) = default;
};

}  // namespace corvane::api
