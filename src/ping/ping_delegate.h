#pragma once
// Receives every echo a pinger reports, after its observer. Held weakly by the pinger.
#include "ping/ping_response.h"

namespace corvane::ping {

class PingDelegate {
 public:
  virtual ~PingDelegate() = default;
  virtual void didReceive(const PingResponse& response) = 0;
};

}  // namespace corvane::ping
