#pragma once
// One traffic report of the running tunnel: totals and the rate over the last second.
#include <cstdint>

namespace corvane::platform {

struct TrafficSample {
  std::int64_t rxBytes = 0;
  std::int64_t txBytes = 0;
  std::int64_t uplink = 0;    // bytes per second sent
  std::int64_t downlink = 0;  // bytes per second received
  friend bool operator==(const TrafficSample&, const TrafficSample&) = default;
};

}  // namespace corvane::platform
