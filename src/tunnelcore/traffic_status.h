#pragma once
// The speeds a command client reports: bytes per second each way, while the tunnel can count.
#include <cstdint>

namespace corvane::tunnelcore {

struct TrafficStatus {
  bool trafficAvailable = false;
  std::int64_t uplink = 0;
  std::int64_t downlink = 0;
  friend bool operator==(const TrafficStatus&, const TrafficStatus&) = default;
};

}  // namespace corvane::tunnelcore
