#include "daemon/engines/transparent/endpoint_resolver.h"

#include <netdb.h>
#include <sys/socket.h>

#include "daemon/net/ip_prefix.h"

namespace corvane::daemon::engines::transparent {

std::optional<std::string> resolveServerAddress(const std::string& host, AddressFamily family) {
  if (auto numeric = net::IpPrefix::parseAddress(host)) return numeric->address();
  addrinfo hints{};
  hints.ai_family = family == AddressFamily::ipv4 ? AF_INET : AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;  // one entry an address, not one a socket type
  addrinfo* found = nullptr;
  if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found) return std::nullopt;
  char text[NI_MAXHOST] = {};
  int error = getnameinfo(found->ai_addr, found->ai_addrlen, text, sizeof text, nullptr, 0, NI_NUMERICHOST);
  freeaddrinfo(found);
  if (error != 0) return std::nullopt;
  return std::string(text);
}

}  // namespace corvane::daemon::engines::transparent
