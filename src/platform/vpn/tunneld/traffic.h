#pragma once
// The counters of a running tunnel and its speed over the last second.
#include <cstdint>

namespace corvane::platform::tunneld {

struct Traffic {
  std::uint64_t rxBytes = 0;
  std::uint64_t txBytes = 0;
  std::uint64_t uplink = 0;    // bytes per second sent
  std::uint64_t downlink = 0;  // bytes per second received
  friend bool operator==(const Traffic&, const Traffic&) = default;
};

}  // namespace corvane::platform::tunneld
