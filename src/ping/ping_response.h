#pragma once
// The outcome of one echo, success or failure.
#include <cstdint>
#include <optional>
#include <string>

#include "ping/ip_header.h"
#include "ping/ping_error.h"

namespace corvane::ping {

struct PingResponse {
  std::uint16_t identifier = 0;
  // Dotted-quad text of the destination address.
  std::optional<std::string> ipAddress;
  std::uint16_t sequenceNumber = 0;
  // Running count of echoes, not wrapped at 16 bits.
  std::uint64_t trueSequenceNumber = 0;
  // Seconds from sending the request to the reply, failure or time-out.
  double duration = 0;
  // Absent for a valid reply.
  std::optional<PingError> error;
  // Size of the received datagram, IP header included; absent when nothing was received.
  std::optional<int> byteCount;
  // Present only for a valid reply.
  std::optional<IPHeader> ipHeader;
};

}  // namespace corvane::ping
