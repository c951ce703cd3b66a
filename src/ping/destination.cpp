#include "ping/destination.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <cstring>

namespace corvane::ping {

static_assert(sizeof(sockaddr_in) == sizeof(SocketAddressBytes),
              "the address record must be exactly one sockaddr_in");

std::optional<std::string> Destination::dottedAddress() const {
  sockaddr_in address{};
  std::memcpy(&address, ipv4Address.data(), sizeof address);
  if (address.sin_family != AF_INET) {
    return std::nullopt;
  }
  char text[INET_ADDRSTRLEN] = {};
  if (inet_ntop(AF_INET, &address.sin_addr, text, sizeof text) == nullptr) {
    return std::nullopt;
  }
  return std::string(text);
}

std::optional<SocketAddressBytes> Destination::parseDottedAddress(const std::string& text) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = 0;
  // inet_pton accepts only the strict four-part dotted form, which is what the caller means
  // by an address text; anything else is a host name and needs resolving.
  if (inet_pton(AF_INET, text.c_str(), &address.sin_addr) != 1) {
    return std::nullopt;
  }
  SocketAddressBytes bytes{};
  std::memcpy(bytes.data(), &address, sizeof address);
  return bytes;
}

}  // namespace corvane::ping
