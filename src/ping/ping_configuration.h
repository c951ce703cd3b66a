#pragma once
// The settings one EchoPinger runs with, fixed at creation. Every creator gives all six
// fields; there are deliberately no defaults.
#include <optional>

namespace corvane::ping {

struct PingConfiguration {
  // Seconds between the end of one echo (reply, failure or time-out) and the next request.
  double pingInterval = 0;
  // Seconds after a request before it counts as timed out; also the socket's send time-out.
  double timeoutInterval = 0;
  // Stop when the application goes to the background, resume when it becomes active.
  bool handleBackgroundTransitions = false;
  // When present, the socket's IP time-to-live.
  std::optional<int> timeToLive;
  // Echo payload bytes, the 16-byte fingerprint included; the part above 16 is random filler.
  int payloadSize = 0;
  // When the target count is reached, close the socket instead of only reporting the result.
  bool haltAfterTarget = false;
};

}  // namespace corvane::ping
