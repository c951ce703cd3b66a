#pragma once
// One on-demand rule of a manager: connect on any interface, optionally only when the
// captive-portal probe answers 200.
#include <cstdint>
#include <optional>
#include <string>

namespace corvane::platform::tunneld {

struct OnDemandRule {
  std::string action = "connect";
  std::int64_t interfaceTypeMatch = 0;  // 0: any interface
  std::optional<std::string> probeURL;  // plain http://; reconnect only when it answers 200

  friend bool operator==(const OnDemandRule&, const OnDemandRule&) = default;
};

}  // namespace corvane::platform::tunneld
