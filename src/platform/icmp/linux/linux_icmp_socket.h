#pragma once
// IcmpSocket on Linux: an unprivileged ICMP datagram socket (SOCK_DGRAM, IPPROTO_ICMP), or a
// raw ICMP socket when the datagram kind is refused.
#include "platform/icmp/icmp_socket.h"

namespace corvane::platform {

class LinuxIcmpSocket : public IcmpSocket {
 public:
  // Takes ownership of `fd`, already configured by the factory, and of the claim on
  // `heldIdentifier` in the process's identifier registry, if any.
  LinuxIcmpSocket(int fd, bool raw, std::optional<std::uint16_t> heldIdentifier = std::nullopt)
      : fd_(fd), raw_(raw), heldIdentifier_(heldIdentifier) {}
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
  std::optional<std::uint16_t> heldIdentifier_;
};

}  // namespace corvane::platform
