#include "daemon/net/link_watch.h"

#include <errno.h>
#include <linux/if.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cstring>
#include <utility>

namespace corvane::daemon::net {
namespace {

std::string linkName(const nlmsghdr* header) {
  const auto* info = static_cast<const ifinfomsg*>(NLMSG_DATA(header));
  int length = static_cast<int>(IFLA_PAYLOAD(header));
  for (const auto* attribute = IFLA_RTA(info); RTA_OK(attribute, length); attribute = RTA_NEXT(attribute, length)) {
    if (attribute->rta_type != IFLA_IFNAME) continue;
    const auto* text = static_cast<const char*>(RTA_DATA(attribute));
    return std::string(text, strnlen(text, RTA_PAYLOAD(attribute)));
  }
  return {};
}

}  // namespace

Result<LinkWatch> LinkWatch::open() {
  int fd = socket(AF_NETLINK, SOCK_RAW | SOCK_NONBLOCK | SOCK_CLOEXEC, NETLINK_ROUTE);
  if (fd < 0) return Error("LinkWatch", errno, std::string("netlink socket: ") + std::strerror(errno));
  sockaddr_nl address{};
  address.nl_family = AF_NETLINK;
  address.nl_groups = RTMGRP_LINK;
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    int error = errno;
    ::close(fd);
    return Error("LinkWatch", error, std::string("netlink bind: ") + std::strerror(error));
  }
  return LinkWatch(fd);
}

LinkWatch::LinkWatch(LinkWatch&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

LinkWatch& LinkWatch::operator=(LinkWatch&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

LinkWatch::~LinkWatch() {
  if (fd_ >= 0) ::close(fd_);
}

bool LinkWatch::drainLost(const std::string& name) {
  bool lost = false;
  alignas(nlmsghdr) std::array<char, 16384> buffer;
  // Bounded: the socket is non-blocking and each read takes at least one message.
  for (int reads = 0; reads < 256; ++reads) {
    ssize_t got = recv(fd_, buffer.data(), buffer.size(), 0);
    if (got < 0) {
      if (errno == EINTR || errno == ENOBUFS) continue;
      break;
    }
    // Walked by hand: the NLMSG_OK macro compares signed with unsigned.
    const auto total = static_cast<std::size_t>(got);
    for (std::size_t offset = 0; offset + sizeof(nlmsghdr) <= total;) {
      const auto* header = reinterpret_cast<const nlmsghdr*>(buffer.data() + offset);
      const std::size_t length = header->nlmsg_len;
      if (length < sizeof(nlmsghdr) || length > total - offset) break;
      offset += NLMSG_ALIGN(length);
      if (header->nlmsg_type != RTM_NEWLINK && header->nlmsg_type != RTM_DELLINK) continue;
      if (length < NLMSG_LENGTH(sizeof(ifinfomsg)) || linkName(header) != name) continue;
      const auto* info = static_cast<const ifinfomsg*>(NLMSG_DATA(header));
      if (header->nlmsg_type == RTM_DELLINK || (info->ifi_flags & IFF_UP) == 0) lost = true;
    }
  }
  return lost;
}

}  // namespace corvane::daemon::net
