#include "daemon/engines/transparent/endpoint_resolver.h"

#include <netdb.h>
#include <sys/socket.h>

#include "daemon/net/ip_prefix.h"

namespace corvane::daemon::engines::transparent {

std::optional<std::string> resolveServerAddress(const std::string& host) {
  if (auto numeric = net::IpPrefix::parseAddress(host)) return numeric->address();
  addrinfo hints{};
  // IPv4 first: the transparent table carries IPv4 only.
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found) return std::nullopt;
  char text[NI_MAXHOST] = {};
  int error = getnameinfo(found->ai_addr, found->ai_addrlen, text, sizeof text, nullptr, 0, NI_NUMERICHOST);
  freeaddrinfo(found);
  if (error != 0) return std::nullopt;
  return std::string(text);
}

}  // namespace corvane::daemon::engines::transparent
