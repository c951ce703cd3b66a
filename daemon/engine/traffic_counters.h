#pragma once
// Bytes through the tunnel since the engine started, as the engine itself counts them.
#include <cstdint>

namespace corvane::daemon::engine {

struct TrafficCounters {
  std::uint64_t rxBytes = 0;
  std::uint64_t txBytes = 0;
};

}  // namespace corvane::daemon::engine
