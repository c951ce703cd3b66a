// UDP at the far end of the proxy tunnel tests. "serve ADDRESS PORT" answers every datagram
// with the sender's address (prints "ready" once bound); "ask ADDRESS PORT" sends one
// datagram, prints the answer and exits 0, or exits 1 after three seconds without one.
// "send ADDRESS PORT" sends a datagram every 100 ms for one second; "count ADDRESS PORT MS"
// binds, and after MS milliseconds prints how many datagrams arrived (whatever became of any
// answer, this is what the host took in). ADDRESS is IPv4 or IPv6 ("ff02::1:2%vc" with its
// link); "--from=PORT" sends from that source port (broadcasts allowed).
#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

bool resolve(const char* text, const char* port, sockaddr_storage* address, socklen_t* length) {
  addrinfo hints{};
  hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV;
  hints.ai_socktype = SOCK_DGRAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(text, port, &hints, &found) != 0 || found == nullptr) return false;
  std::memcpy(address, found->ai_addr, found->ai_addrlen);
  *length = found->ai_addrlen;
  freeaddrinfo(found);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  int fromPort = 0;
  if (argc > 1 && std::strncmp(argv[1], "--from=", 7) == 0) {
    fromPort = std::stoi(argv[1] + 7);
    --argc;
    ++argv;
  }
  if (argc != 4 && argc != 5) {
    std::fprintf(stderr, "usage: udp_echo [--from=PORT] serve|ask|send ADDRESS PORT | count ADDRESS PORT MS\n");
    return 2;
  }
  sockaddr_storage address{};
  socklen_t addressLength = 0;
  if (!resolve(argv[2], argv[3], &address, &addressLength)) return 2;
  auto* target = reinterpret_cast<sockaddr*>(&address);
  int fd = socket(address.ss_family, SOCK_DGRAM, 0);
  if (fd < 0) return 1;
  // A test may send from a port it also counts arrivals on, in another process.
  const int on = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  if (fromPort != 0) {
    setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
    sockaddr_storage source{};
    socklen_t sourceLength = 0;
    const std::string port = std::to_string(fromPort);
    if (!resolve(address.ss_family == AF_INET6 ? "::" : "0.0.0.0", port.c_str(), &source, &sourceLength) ||
        bind(fd, reinterpret_cast<sockaddr*>(&source), sourceLength) != 0) {
      return 1;
    }
  }
  if (std::strcmp(argv[1], "count") == 0 && argc == 5) {
    if (bind(fd, target, addressLength) != 0) return 1;
    int received = 0;
    const int limit = std::stoi(argv[4]);
    for (int waited = 0; waited < limit; waited += 50) {
      pollfd ready{fd, POLLIN, 0};
      if (poll(&ready, 1, 50) != 1) continue;
      char buffer[512];
      while (recv(fd, buffer, sizeof buffer, MSG_DONTWAIT) >= 0) ++received;
    }
    std::printf("%d", received);
    return 0;
  }
  if (std::strcmp(argv[1], "send") == 0) {
    for (int i = 0; i < 10; ++i) {
      (void)sendto(fd, "!", 1, 0, target, addressLength);
      usleep(100 * 1000);
    }
    return 0;
  }
  if (std::strcmp(argv[1], "serve") == 0) {
    if (bind(fd, target, addressLength) != 0) return 1;
    std::printf("ready\n");
    std::fflush(stdout);
    for (;;) {
      char buffer[512];
      sockaddr_storage peer{};
      socklen_t length = sizeof peer;
      if (recvfrom(fd, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&peer), &length) < 0) continue;
      char text[INET6_ADDRSTRLEN] = {};
      if (peer.ss_family == AF_INET6) {
        inet_ntop(AF_INET6, &reinterpret_cast<sockaddr_in6*>(&peer)->sin6_addr, text, sizeof text);
      } else {
        inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in*>(&peer)->sin_addr, text, sizeof text);
      }
      sendto(fd, text, std::strlen(text), 0, reinterpret_cast<sockaddr*>(&peer), length);
    }
  }
  if (sendto(fd, "?", 1, 0, target, addressLength) != 1) return 1;
  pollfd wait{fd, POLLIN, 0};
  if (poll(&wait, 1, 3000) != 1) return 1;
  char buffer[512] = {};
  ssize_t got = recv(fd, buffer, sizeof buffer - 1, 0);
  if (got <= 0) return 1;
  std::printf("%s", buffer);
  return 0;
}
