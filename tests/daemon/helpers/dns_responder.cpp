// A DNS server for the resolver tests: "dns_responder ADDRESS IPV4" answers every A question
// on ADDRESS:53 (UDP) with IPV4, time to live 0 so no cache keeps it, and every other question
// with an empty answer. Prints "ready" once bound. Which responder answered shows which way a
// query went.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

constexpr std::size_t kHeader = 12;

// The end of the question's name, or 0 when the packet holds no whole question.
std::size_t questionNameEnd(const unsigned char* packet, std::size_t length) {
  std::size_t at = kHeader;
  while (at < length && packet[at] != 0) {
    if ((packet[at] & 0xc0) != 0) return 0;  // a question is never compressed
    at += 1 + packet[at];
  }
  return at + 1 + 4 <= length ? at + 1 : 0;  // the root label, then type and class
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: dns_responder ADDRESS IPV4\n");
    return 2;
  }
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(53);
  in_addr answer{};
  if (inet_pton(AF_INET, argv[1], &address.sin_addr) != 1 || inet_pton(AF_INET, argv[2], &answer) != 1) return 2;
  int fd = socket(AF_INET, SOCK_DGRAM, 0);
  if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return 1;
  std::printf("ready\n");
  std::fflush(stdout);
  for (;;) {
    unsigned char packet[512];
    sockaddr_in peer{};
    socklen_t peerLength = sizeof peer;
    ssize_t got = recvfrom(fd, packet, sizeof packet - 16, 0, reinterpret_cast<sockaddr*>(&peer), &peerLength);
    if (got < static_cast<ssize_t>(kHeader) || (packet[2] & 0x80) != 0) continue;  // too short, or not a query
    const auto length = static_cast<std::size_t>(got);
    const std::size_t nameEnd = questionNameEnd(packet, length);
    if (nameEnd == 0) continue;
    const std::size_t questionEnd = nameEnd + 4;
    const bool askedA = packet[nameEnd] == 0 && packet[nameEnd + 1] == 1;
    // The reply: the query's id, "response, recursion available", one question, and the
    // answer (if any) pointing back at the question's name. Additional records (EDNS) dropped.
    packet[2] = 0x81;
    packet[3] = 0x80;
    packet[4] = 0, packet[5] = 1;
    packet[6] = 0, packet[7] = askedA ? 1 : 0;
    std::memset(packet + 8, 0, 4);
    std::size_t out = questionEnd;
    if (askedA) {
      const unsigned char record[] = {0xc0, kHeader, 0, 1, 0, 1, 0, 0, 0, 0, 0, 4};
      std::memcpy(packet + out, record, sizeof record);
      out += sizeof record;
      std::memcpy(packet + out, &answer, 4);
      out += 4;
    }
    sendto(fd, packet, out, 0, reinterpret_cast<sockaddr*>(&peer), peerLength);
  }
}
