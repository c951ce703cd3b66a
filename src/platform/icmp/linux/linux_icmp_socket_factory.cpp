#include "platform/icmp/linux/linux_icmp_socket_factory.h"

#include <linux/icmp.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/icmp/linux/identifier_registry.h"
#include "platform/icmp/linux/linux_icmp_socket.h"

namespace corvane::platform {

namespace {

Error posixError(const char* what) {
  const int err = errno;
  return Error("POSIX", err, std::string(what) + ": " + std::strerror(err));
}

int enable(int fd, int level, int option) {
  const int on = 1;
  return setsockopt(fd, level, option, &on, sizeof on);
}

// Receive time from the kernel: the clock read in user space later would add the main loop's
// wake-up latency to every round trip.
int enableTimestamps(int fd) { return enable(fd, SOL_SOCKET, SO_TIMESTAMPNS); }

Result<std::unique_ptr<IcmpSocket>> openDatagram(std::uint16_t identifier) {
  const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_ICMP);
  if (fd < 0) {
    return posixError("ICMP datagram socket");
  }
  if (!IdentifierRegistry::process().claim(identifier)) {
    close(fd);
    return Error("POSIX", EADDRINUSE, "ICMP identifier " + std::to_string(identifier) +
                                          " is held by another socket of this process");
  }
  // From here the claim is released by the socket, or below on failure.
  auto fail = [fd, identifier](const char* what) {
    Error error = posixError(what);
    close(fd);
    IdentifierRegistry::process().release(identifier);
    return error;
  };
  // The datagram socket writes its bound "port" into the echo identifier field and only hands
  // us replies carrying it, so binding to our identifier keeps it on the wire unchanged.
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_port = htons(identifier);
  if (bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
    return fail("bind ICMP identifier");
  }
  // Linux delivers no IP header here; these give what we need to rebuild it.
  if (enable(fd, IPPROTO_IP, IP_PKTINFO) != 0 || enable(fd, IPPROTO_IP, IP_RECVTTL) != 0 ||
      enable(fd, IPPROTO_IP, IP_RECVTOS) != 0 || enableTimestamps(fd) != 0) {
    return fail("ICMP datagram socket options");
  }
  return std::unique_ptr<IcmpSocket>(std::make_unique<LinuxIcmpSocket>(fd, false, identifier));
}

Result<std::unique_ptr<IcmpSocket>> openRaw() {
  const int fd = socket(AF_INET, SOCK_RAW | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_ICMP);
  if (fd < 0) {
    return posixError("raw ICMP socket");
  }
  // A raw socket sees every ICMP message the host receives, on loopback this machine's own
  // echo requests too, which validation would turn into invalidType. Let only echo replies in
  // (a set bit filters its type out).
  icmp_filter filter{};
  filter.data = ~(1U << ICMP_ECHOREPLY);
  if (setsockopt(fd, SOL_RAW, ICMP_FILTER, &filter, sizeof filter) != 0 ||
      enableTimestamps(fd) != 0) {
    Error error = posixError("raw ICMP socket options");
    close(fd);
    return error;
  }
  return std::unique_ptr<IcmpSocket>(std::make_unique<LinuxIcmpSocket>(fd, true));
}

}  // namespace

Result<std::unique_ptr<IcmpSocket>> LinuxIcmpSocketFactory::open(std::uint16_t identifier) {
  if (kind_ == Kind::rawOnly) {
    return openRaw();
  }
  auto datagram = openDatagram(identifier);
  if (datagram || kind_ == Kind::datagramOnly) {
    return datagram;
  }
  // Try the datagram socket first: it needs no privilege, but the kernel only grants it to
  // groups inside /proc/sys/net/ipv4/ping_group_range ("1 0", nobody, by default) and says
  // EACCES otherwise; EPERM comes from security modules and seccomp filters. Either way a
  // raw socket may still be allowed (root or CAP_NET_RAW). Other errors, EADDRINUSE above
  // all, are real answers and go back to the caller.
  const auto code = datagram.error().code;
  if (code != EACCES && code != EPERM) {
    return datagram;
  }
  return openRaw();
}

std::unique_ptr<IcmpSocketFactory> makeSystemIcmpSocketFactory() {
  return std::make_unique<LinuxIcmpSocketFactory>();
}

}  // namespace corvane::platform
