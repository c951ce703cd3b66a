#pragma once
// IcmpSocket on Linux: an unprivileged ICMP datagram socket (SOCK_DGRAM, IPPROTO_ICMP), or a
// raw ICMP socket when the datagram kind is refused.
#include "platform/icmp/icmp_socket.h"

namespace corvane::platform {

class LinuxIcmpSocket : public IcmpSocket {
 public:
  // Takes ownership of `fd`, already configured by the factory.
  LinuxIcmpSocket(int fd, bool raw) : fd_(fd), raw_(raw) {}
  ~LinuxIcmpSocket() override;
  LinuxIcmpSocket(const LinuxIcmpSocket&) = delete;
  LinuxIcmpSocket& operator=(const LinuxIcmpSocket&) = delete;

  int nativeHandle() const override { return fd_; }
  bool isRaw() const override { return raw_; }
  int setTimeToLive(int timeToLive) override;
  IcmpSendOutcome send(std::span<const std::uint8_t> message,
                       const std::array<std::uint8_t, 16>& address, Duration timeout) override;
  std::optional<IcmpDatagram> receive() override;

 private:
  int fd_;
  bool raw_;
};

}  // namespace corvane::platform
