#include "daemon/net/link_watch.h"

#include <errno.h>
#include <fmt/format.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

#include "daemon/net/ip_prefix.h"

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

std::optional<std::string> LinkWatch::drainLost(const std::vector<std::string>& names, bool carrierCounts) {
  std::optional<std::string> lost;
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
      if (lost || (header->nlmsg_type != RTM_NEWLINK && header->nlmsg_type != RTM_DELLINK)) continue;
      if (length < NLMSG_LENGTH(sizeof(ifinfomsg))) continue;
      const std::string name = linkName(header);
      if (std::find(names.begin(), names.end(), name) == names.end()) continue;
      const auto flags = static_cast<const ifinfomsg*>(NLMSG_DATA(header))->ifi_flags;
      if (header->nlmsg_type == RTM_DELLINK || (flags & IFF_UP) == 0 || (carrierCounts && (flags & IFF_RUNNING) == 0)) {
        lost = name;
      }
    }
  }
  return lost;
}

Result<std::string> LinkWatch::linkToward(const std::string& address, std::uint32_t mark) {
  auto destination = IpPrefix::parseAddress(address);
  if (!destination) return Error("LinkWatch", EINVAL, "not an address: " + address);
  int fd = socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE);
  if (fd < 0) return Error("LinkWatch", errno, std::string("netlink socket: ") + std::strerror(errno));
  // The kernel answers a route query at once; the time-out only guards a wedged socket.
  timeval wait{1, 0};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);

  struct {
    nlmsghdr header;
    rtmsg route;
    std::array<char, 64> attributes;
  } query{};
  const auto addressBytes = static_cast<unsigned short>(destination->isIpv6() ? 16 : 4);
  query.header.nlmsg_len = NLMSG_LENGTH(sizeof(rtmsg));
  query.header.nlmsg_type = RTM_GETROUTE;
  query.header.nlmsg_flags = NLM_F_REQUEST;
  query.header.nlmsg_seq = 1;
  query.route.rtm_family = static_cast<unsigned char>(destination->family);
  query.route.rtm_dst_len = static_cast<unsigned char>(addressBytes * 8);
  auto put = [&](unsigned short type, const void* data, unsigned short size) {
    auto* attribute = reinterpret_cast<rtattr*>(reinterpret_cast<char*>(&query) + NLMSG_ALIGN(query.header.nlmsg_len));
    attribute->rta_type = type;
    attribute->rta_len = static_cast<unsigned short>(RTA_LENGTH(size));
    std::memcpy(RTA_DATA(attribute), data, size);
    query.header.nlmsg_len = NLMSG_ALIGN(query.header.nlmsg_len) + RTA_ALIGN(attribute->rta_len);
  };
  put(RTA_DST, destination->bytes.data(), addressBytes);
  if (mark != 0) put(RTA_MARK, &mark, sizeof mark);

  sockaddr_nl kernel{};
  kernel.nl_family = AF_NETLINK;
  if (sendto(fd, &query, query.header.nlmsg_len, 0, reinterpret_cast<sockaddr*>(&kernel), sizeof kernel) < 0) {
    int error = errno;
    ::close(fd);
    return Error("LinkWatch", error, std::string("route query: ") + std::strerror(error));
  }
  alignas(nlmsghdr) std::array<char, 4096> answer;
  ssize_t got;
  do {
    got = recv(fd, answer.data(), answer.size(), 0);
  } while (got < 0 && errno == EINTR);
  int error = got < 0 ? errno : 0;
  ::close(fd);
  if (got < 0) return Error("LinkWatch", error, std::string("route answer: ") + std::strerror(error));

  const auto total = static_cast<std::size_t>(got);
  if (total < sizeof(nlmsghdr)) return Error("LinkWatch", EPROTO, "short route answer");
  const auto* header = reinterpret_cast<const nlmsghdr*>(answer.data());
  if (header->nlmsg_len > total) return Error("LinkWatch", EPROTO, "short route answer");
  if (header->nlmsg_type == NLMSG_ERROR && header->nlmsg_len >= NLMSG_LENGTH(sizeof(nlmsgerr))) {
    const int code = -static_cast<const nlmsgerr*>(NLMSG_DATA(header))->error;
    return Error("LinkWatch", code, fmt::format("no route to {}: {}", address, std::strerror(code)));
  }
  if (header->nlmsg_type != RTM_NEWROUTE || header->nlmsg_len < NLMSG_LENGTH(sizeof(rtmsg))) {
    return Error("LinkWatch", EPROTO, "unexpected route answer");
  }
  int length = static_cast<int>(RTM_PAYLOAD(header));
  const auto* route = static_cast<const rtmsg*>(NLMSG_DATA(header));
  for (const auto* attribute = RTM_RTA(route); RTA_OK(attribute, length); attribute = RTA_NEXT(attribute, length)) {
    if (attribute->rta_type != RTA_OIF || RTA_PAYLOAD(attribute) < sizeof(int)) continue;
    int index = 0;
    std::memcpy(&index, RTA_DATA(attribute), sizeof index);
    char name[IF_NAMESIZE] = {};
    if (if_indextoname(static_cast<unsigned>(index), name) == nullptr) break;
    return std::string(name);
  }
  return Error("LinkWatch", ENETUNREACH, fmt::format("no route to {} names a link", address));
}

bool LinkWatch::linkRunning(const std::string& name) {
  if (name.empty() || name.size() >= IFNAMSIZ) return false;
  int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  ifreq request{};
  std::memcpy(request.ifr_name, name.c_str(), name.size());
  const bool known = ioctl(fd, SIOCGIFFLAGS, &request) == 0;
  ::close(fd);
  return known && (request.ifr_flags & IFF_UP) != 0 && (request.ifr_flags & IFF_RUNNING) != 0;
}

}  // namespace corvane::daemon::net
