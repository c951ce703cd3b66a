// UDP at the far end of the proxy tunnel tests. "serve ADDRESS PORT" answers every datagram
// with the sender's address (prints "ready" once bound); "ask ADDRESS PORT" sends one
// datagram, prints the answer and exits 0, or exits 1 after three seconds without one.
// "send ADDRESS PORT" sends a datagram every 100 ms for one second; "count ADDRESS PORT MS"
// binds, and after MS milliseconds prints how many datagrams arrived (whatever became of any
// answer, this is what the host took in).
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
  if (argc != 4 && argc != 5) {
    std::fprintf(stderr, "usage: udp_echo serve|ask|send ADDRESS PORT | count ADDRESS PORT MS\n");
    return 2;
  }
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(std::stoi(argv[3])));
  if (inet_pton(AF_INET, argv[2], &address.sin_addr) != 1) return 2;
  int fd = socket(AF_INET, SOCK_DGRAM, 0);
  if (fd < 0) return 1;
  if (std::strcmp(argv[1], "count") == 0 && argc == 5) {
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return 1;
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
      (void)sendto(fd, "!", 1, 0, reinterpret_cast<sockaddr*>(&address), sizeof address);
      usleep(100 * 1000);
    }
    return 0;
  }
  if (std::strcmp(argv[1], "serve") == 0) {
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return 1;
    std::printf("ready\n");
    std::fflush(stdout);
    for (;;) {
      char buffer[512];
      sockaddr_in peer{};
      socklen_t length = sizeof peer;
      if (recvfrom(fd, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&peer), &length) < 0) continue;
      char text[INET_ADDRSTRLEN] = {};
      inet_ntop(AF_INET, &peer.sin_addr, text, sizeof text);
      sendto(fd, text, std::strlen(text), 0, reinterpret_cast<sockaddr*>(&peer), length);
    }
  }
  if (sendto(fd, "?", 1, 0, reinterpret_cast<sockaddr*>(&address), sizeof address) != 1) return 1;
  pollfd wait{fd, POLLIN, 0};
  if (poll(&wait, 1, 3000) != 1) return 1;
  char buffer[512] = {};
  ssize_t got = recv(fd, buffer, sizeof buffer - 1, 0);
  if (got <= 0) return 1;
  std::printf("%s", buffer);
  return 0;
}
