#pragma once
// The aggregate of a pinger's echoes, with round-trip statistics over the successful ones.
#include <cstdint>
#include <optional>
#include <vector>

#include "ping/ping_response.h"

namespace corvane::ping {

// Seconds.
struct Roundtrip {
  double minimum = 0;
  double maximum = 0;
  double average = 0;
  // Population form: divides by the number of values, not by one less.
  double standardDeviation = 0;
};

struct PingResult {
  std::vector<PingResponse> responses;
  std::uint64_t packetsTransmitted = 0;
  std::uint64_t packetsReceived = 0;
  // Absent when no response is without error.
  std::optional<Roundtrip> roundtrip;

  // Statistics over the responses without error; `responses` keeps every one, failed ones
  // included.
  static PingResult make(std::vector<PingResponse> responses, std::uint64_t packetsTransmitted);
};

}  // namespace corvane::ping
