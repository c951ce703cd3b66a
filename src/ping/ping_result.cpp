#include "ping/ping_result.h"

#include <algorithm>
#include <cmath>

namespace corvane::ping {

PingResult PingResult::make(std::vector<PingResponse> responses,
                            std::uint64_t packetsTransmitted) {
  PingResult result;
  result.packetsTransmitted = packetsTransmitted;

  std::vector<double> durations;
  for (const PingResponse& response : responses) {
    if (!response.error) {
      durations.push_back(response.duration);
    }
  }
  result.packetsReceived = durations.size();
  result.responses = std::move(responses);
  if (durations.empty()) {
    return result;
  }

  Roundtrip roundtrip;
  const auto [minimum, maximum] = std::minmax_element(durations.begin(), durations.end());
  roundtrip.minimum = *minimum;
  roundtrip.maximum = *maximum;
  double sum = 0;
  for (double d : durations) {
    sum += d;
  }
  const double count = static_cast<double>(durations.size());
  roundtrip.average = sum / count;
  double squares = 0;
  for (double d : durations) {
    squares += (d - roundtrip.average) * (d - roundtrip.average);
  }
  roundtrip.standardDeviation = std::sqrt(squares / count);
  result.roundtrip = roundtrip;
  return result;
}

}  // namespace corvane::ping
