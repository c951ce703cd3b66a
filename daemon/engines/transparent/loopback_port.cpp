#include "daemon/engines/transparent/loopback_port.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>

#include <fmt/format.h>

namespace corvane::daemon::engines::transparent {

std::optional<std::uint16_t> freeLoopbackPort() {
  // The kernel picks a port free for TCP; it stays free for the moment until the engine
  // binds it (another program could take it in between, and the engine then fails to start).
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return std::nullopt;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  std::optional<std::uint16_t> port;
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
    port = ntohs(address.sin_port);
  }
  close(fd);
  return port;
}

bool listensOnLoopback(std::uint16_t port) {
  // Lines read "sl local_address rem_address st ...", addresses as hex "0100007F:1F90";
  // state 0A is LISTEN.
  std::ifstream table("/proc/net/tcp");
  const std::string wanted = fmt::format("0100007F:{:04X}", port);
  std::string line;
  for (int lines = 0; lines < 100000 && std::getline(table, line); ++lines) {
    std::istringstream fields(line);
    std::string slot, local, remote, state;
    if (fields >> slot >> local >> remote >> state && local == wanted && state == "0A") return true;
  }
  return false;
}

}  // namespace corvane::daemon::engines::transparent
