// Answers ICMP echo requests after a fixed delay, standing in for a distant host: this kernel
// has no netem qdisc to delay packets. It runs in a network namespace whose kernel echo
// replies are off (net.ipv4.icmp_echo_ignore_all=1), so every reply there is its own.
//
//   delayed_echo_responder DELAY_MS
//
// Prints "ready" on stdout once it listens, and runs until SIGTERM or SIGINT.
#include <linux/icmp.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <queue>
#include <vector>

namespace {

volatile sig_atomic_t stopRequested = 0;

void onSignal(int) { stopRequested = 1; }

std::int64_t nowNs(clockid_t clock) {
  timespec t{};
  clock_gettime(clock, &t);
  return static_cast<std::int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

struct Pending {
  std::int64_t dueNs;  // CLOCK_MONOTONIC
  sockaddr_in to;
  in_addr from;  // the address the request was sent to: the reply comes from there
  std::vector<std::uint8_t> reply;
  bool operator>(const Pending& other) const { return dueNs > other.dueNs; }
};

std::uint16_t internetChecksum(const std::uint8_t* p, std::size_t n) {
  std::uint32_t sum = 0;
  for (std::size_t i = 0; i + 1 < n; i += 2) sum += static_cast<std::uint32_t>(p[i] << 8 | p[i + 1]);
  if (n % 2) sum += static_cast<std::uint32_t>(p[n - 1] << 8);
  while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
  return static_cast<std::uint16_t>(~sum);
}

// The request's arrival on the monotonic clock, from the kernel's receive stamp when given.
std::int64_t arrivalNs(msghdr& msg) {
  for (cmsghdr* c = CMSG_FIRSTHDR(&msg); c != nullptr; c = CMSG_NXTHDR(&msg, c)) {
    if (c->cmsg_level == SOL_SOCKET && c->cmsg_type == SCM_TIMESTAMPNS) {
      timespec stamp{};
      std::memcpy(&stamp, CMSG_DATA(c), sizeof stamp);
      const std::int64_t age = nowNs(CLOCK_REALTIME) -
                               (static_cast<std::int64_t>(stamp.tv_sec) * 1'000'000'000 + stamp.tv_nsec);
      return nowNs(CLOCK_MONOTONIC) - (age > 0 ? age : 0);
    }
  }
  return nowNs(CLOCK_MONOTONIC);
}

void readRequests(int fd, std::int64_t delayNs,
                  std::priority_queue<Pending, std::vector<Pending>, std::greater<>>& pending) {
  std::uint8_t buffer[65536];
  alignas(cmsghdr) char control[256];
  for (int i = 0; i < 1024; ++i) {
    sockaddr_in from{};
    iovec io{buffer, sizeof buffer};
    msghdr msg{};
    msg.msg_name = &from;
    msg.msg_namelen = sizeof from;
    msg.msg_iov = &io;
    msg.msg_iovlen = 1;
    msg.msg_control = control;
    msg.msg_controllen = sizeof control;
    const ssize_t n = recvmsg(fd, &msg, MSG_DONTWAIT);
    if (n < 0) return;
    const std::size_t headerLength = static_cast<std::size_t>(buffer[0] & 0x0F) * 4;
    if (static_cast<std::size_t>(n) < headerLength + 8 || buffer[headerLength] != ICMP_ECHO) {
      continue;
    }
    Pending p;
    p.dueNs = arrivalNs(msg) + delayNs;
    p.to = from;
    std::memcpy(&p.from, buffer + 16, sizeof p.from);
    p.reply.assign(buffer + headerLength, buffer + n);
    p.reply[0] = ICMP_ECHOREPLY;
    p.reply[2] = p.reply[3] = 0;
    const std::uint16_t checksum = internetChecksum(p.reply.data(), p.reply.size());
    p.reply[2] = static_cast<std::uint8_t>(checksum >> 8);
    p.reply[3] = static_cast<std::uint8_t>(checksum & 0xFF);
    pending.push(std::move(p));
  }
}

// Sends from the address the request went to, as a real host with many addresses does;
// tools that match replies by source address (fping) depend on it.
void sendReply(int fd, const Pending& p) {
  iovec io{const_cast<std::uint8_t*>(p.reply.data()), p.reply.size()};
  alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))] = {};
  msghdr msg{};
  msg.msg_name = const_cast<sockaddr_in*>(&p.to);
  msg.msg_namelen = sizeof p.to;
  msg.msg_iov = &io;
  msg.msg_iovlen = 1;
  msg.msg_control = control;
  msg.msg_controllen = sizeof control;
  cmsghdr* c = CMSG_FIRSTHDR(&msg);
  c->cmsg_level = IPPROTO_IP;
  c->cmsg_type = IP_PKTINFO;
  c->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
  in_pktinfo info{};
  info.ipi_spec_dst = p.from;
  std::memcpy(CMSG_DATA(c), &info, sizeof info);
  sendmsg(fd, &msg, 0);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s DELAY_MS\n", argv[0]);
    return 2;
  }
  const double delayMs = std::atof(argv[1]);
  const auto delayNs = static_cast<std::int64_t>(delayMs * 1e6);

  struct sigaction action{};
  action.sa_handler = onSignal;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);

  const int fd = socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP);
  if (fd < 0) {
    std::perror("raw ICMP socket");
    return 1;
  }
  icmp_filter filter{};
  filter.data = ~(1U << ICMP_ECHO);  // requests only
  const int on = 1;
  if (setsockopt(fd, SOL_RAW, ICMP_FILTER, &filter, sizeof filter) != 0 ||
      setsockopt(fd, SOL_SOCKET, SO_TIMESTAMPNS, &on, sizeof on) != 0) {
    std::perror("socket options");
    return 1;
  }
  std::printf("ready\n");
  std::fflush(stdout);

  std::priority_queue<Pending, std::vector<Pending>, std::greater<>> pending;
  // Sleep in the kernel until shortly before a reply is due, then spin the last stretch:
  // a wake-up from poll can be late by tens of microseconds, which would show as delay.
  constexpr std::int64_t kSpinNs = 150'000;
  while (!stopRequested) {
    std::int64_t waitNs = 100'000'000;  // wake now and then to notice a stop request
    if (!pending.empty()) {
      waitNs = pending.top().dueNs - nowNs(CLOCK_MONOTONIC) - kSpinNs;
      if (waitNs < 0) waitNs = 0;
    }
    pollfd watch{fd, POLLIN, 0};
    timespec timeout{static_cast<time_t>(waitNs / 1'000'000'000), static_cast<long>(waitNs % 1'000'000'000)};
    const int ready = ppoll(&watch, 1, &timeout, nullptr);
    if (ready > 0) readRequests(fd, delayNs, pending);
    while (!pending.empty() && pending.top().dueNs - nowNs(CLOCK_MONOTONIC) <= kSpinNs) {
      while (nowNs(CLOCK_MONOTONIC) < pending.top().dueNs) {
      }
      sendReply(fd, pending.top());
      pending.pop();
    }
  }
  close(fd);
  return 0;
}
