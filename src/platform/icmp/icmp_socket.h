#pragma once
// One ICMP socket as the echo engine needs it: it sends echo messages to an IPv4 address and
// delivers every received datagram IPv4 header first, whatever the kernel hands over.
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "platform/core/result.h"
#include "platform/mainloop/main_loop.h"

namespace corvane::platform {

struct IcmpDatagram {
  // The IPv4 header (20 bytes or more), then the ICMP message.
  std::vector<std::uint8_t> bytes;
  // How long before it was read the kernel took the packet in; absent when the kernel gave
  // no receive time. Subtracting it from "now" gives the true arrival time.
  std::optional<Duration> age;
};

enum class IcmpSendOutcome { success, error, timedOut };

class IcmpSocket {
 public:
  virtual ~IcmpSocket() = default;

  // The descriptor to watch for readability. Owned by the socket.
  virtual int nativeHandle() const = 0;
  // True for the raw fallback, false for the unprivileged datagram socket.
  virtual bool isRaw() const = 0;

  // Sets the IP time-to-live of sent packets; the option call's result (0, or -1 when the
  // kernel refuses the value).
  virtual int setTimeToLive(int timeToLive) = 0;

  // Sends one ICMP message to an IPv4 socket address record (a 16-byte sockaddr_in),
  // waiting at most `timeout` for room in the send buffer.
  virtual IcmpSendOutcome send(std::span<const std::uint8_t> message,
                               const std::array<std::uint8_t, 16>& address,
                               Duration timeout) = 0;

  // The next waiting datagram, or nothing when none is waiting. Never blocks.
  virtual std::optional<IcmpDatagram> receive() = 0;
};

class IcmpSocketFactory {
 public:
  virtual ~IcmpSocketFactory() = default;

  // A socket whose echo requests carry `identifier`. Errors have domain "POSIX" and errno as
  // the code; EADDRINUSE means another socket on this machine already holds the identifier.
  virtual Result<std::unique_ptr<IcmpSocket>> open(std::uint16_t identifier) = 0;
};

}  // namespace corvane::platform
