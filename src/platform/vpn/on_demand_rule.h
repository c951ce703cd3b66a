#pragma once
// A connect-on-demand rule of a tunnel provider manager: keep the tunnel up on any
// interface (interfaceTypeMatch 0) and, when a probe URL is given, only while that URL
// answers 200.
#include <optional>
#include <string>

namespace corvane::platform {

struct OnDemandRule {
  int interfaceTypeMatch = 0;  // 0 any interface
  std::optional<std::string> probeURL;

  friend bool operator==(const OnDemandRule&, const OnDemandRule&) = default;
};

}  // namespace corvane::platform
