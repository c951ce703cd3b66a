#include "platform/icmp/linux/linux_icmp_socket.h"

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "platform/icmp/ipv4_header.h"
#include "platform/icmp/linux/identifier_registry.h"

namespace corvane::platform {

namespace {

// Large enough for any IPv4 datagram, so a reply is never cut short.
constexpr std::size_t kReceiveBufferSize = 65536;
// Transient errors (an ICMP error queued on the socket, EINTR) are skipped; a bounded number
// so a socket in a bad state cannot hold the main loop.
constexpr int kMaxSkippedErrors = 16;

Duration ageOf(const timespec& stamp) {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  const auto age = std::chrono::seconds(now.tv_sec - stamp.tv_sec) +
                   std::chrono::nanoseconds(now.tv_nsec - stamp.tv_nsec);
  // The wall clock may be stepped between the stamp and now; never report a negative age.
  return age.count() < 0 ? Duration::zero() : std::chrono::duration_cast<Duration>(age);
}

}  // namespace

LinuxIcmpSocket::~LinuxIcmpSocket() {
  close(fd_);
  if (heldIdentifier_) {
    IdentifierRegistry::process().release(*heldIdentifier_);
  }
}

int LinuxIcmpSocket::setTimeToLive(int timeToLive) {
  return setsockopt(fd_, IPPROTO_IP, IP_TTL, &timeToLive, sizeof timeToLive);
}

IcmpSendOutcome LinuxIcmpSocket::send(std::span<const std::uint8_t> message,
                                      const std::array<std::uint8_t, 16>& address,
                                      Duration timeout) {
  sockaddr_in to{};
  std::memcpy(&to, address.data(), sizeof to);
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  // MSG_NOSIGNAL: a send must never raise SIGPIPE in the process.
  for (;;) {
    const ssize_t sent = sendto(fd_, message.data(), message.size(), MSG_DONTWAIT | MSG_NOSIGNAL,
                                reinterpret_cast<const sockaddr*>(&to), sizeof to);
    if (sent >= 0) {
      return static_cast<std::size_t>(sent) == message.size() ? IcmpSendOutcome::success
                                                              : IcmpSendOutcome::error;
    }
    if (errno == EINTR) {
      continue;
    }
    if (errno != EAGAIN && errno != EWOULDBLOCK) {
      return IcmpSendOutcome::error;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      return IcmpSendOutcome::timedOut;
    }
    pollfd watch{fd_, POLLOUT, 0};
    if (poll(&watch, 1, static_cast<int>(left.count())) == 0) {
      return IcmpSendOutcome::timedOut;
    }
  }
}

std::optional<IcmpDatagram> LinuxIcmpSocket::receive() {
  // One buffer per thread, made once: receiving is the hot path, and clearing 64 KiB for every
  // read (and for the last read of a wake-up, which finds nothing) would cost more than the
  // whole round trip on loopback.
  thread_local std::vector<std::uint8_t> buffer(kReceiveBufferSize);
  alignas(cmsghdr) char control[512];
  for (int attempt = 0; attempt < kMaxSkippedErrors; ++attempt) {
    sockaddr_in from{};
    iovec io{buffer.data(), buffer.size()};
    msghdr msg{};
    msg.msg_name = &from;
    msg.msg_namelen = sizeof from;
    msg.msg_iov = &io;
    msg.msg_iovlen = 1;
    msg.msg_control = control;
    msg.msg_controllen = sizeof control;
    const ssize_t length = recvmsg(fd_, &msg, MSG_DONTWAIT);
    if (length < 0) {
      if (errno == EAGAIN || errno == EWOULDBLOCK) {
        return std::nullopt;
      }
      continue;  // EINTR, or a pending ICMP error reported once: read on
    }

    IcmpDatagram datagram;
    Ipv4HeaderFields fields;
    fields.sourceAddress = from.sin_addr.s_addr;
    for (cmsghdr* c = CMSG_FIRSTHDR(&msg); c != nullptr; c = CMSG_NXTHDR(&msg, c)) {
      if (c->cmsg_level == SOL_SOCKET && c->cmsg_type == SCM_TIMESTAMPNS) {
        timespec stamp{};
        std::memcpy(&stamp, CMSG_DATA(c), sizeof stamp);
        datagram.age = ageOf(stamp);
      } else if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_TTL) {
        int ttl = 0;
        std::memcpy(&ttl, CMSG_DATA(c), sizeof ttl);
        fields.timeToLive = static_cast<std::uint8_t>(ttl);
      } else if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_TOS) {
        fields.typeOfService = *reinterpret_cast<const std::uint8_t*>(CMSG_DATA(c));
      } else if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_PKTINFO) {
        in_pktinfo info{};
        std::memcpy(&info, CMSG_DATA(c), sizeof info);
        fields.destinationAddress = info.ipi_addr.s_addr;
      }
    }

    const std::size_t received = static_cast<std::size_t>(length);
    if (raw_) {
      datagram.bytes.assign(buffer.begin(), buffer.begin() + length);
      return datagram;
    }
    fields.payloadLength = static_cast<std::uint16_t>(received);
    const auto header = buildIpv4Header(fields);
    datagram.bytes.reserve(header.size() + received);
    datagram.bytes.insert(datagram.bytes.end(), header.begin(), header.end());
    datagram.bytes.insert(datagram.bytes.end(), buffer.begin(), buffer.begin() + length);
    return datagram;
  }
  return std::nullopt;
}

}  // namespace corvane::platform
