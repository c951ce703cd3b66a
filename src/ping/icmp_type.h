#pragma once
// ICMP message types the echo engine sends and accepts.
#include <cstdint>

namespace corvane::ping {

enum class ICMPType : std::uint8_t {
  EchoReply = 0,
  EchoRequest = 8,
};

}  // namespace corvane::ping
