#include "ping/host_resolution.h"

#include <netinet/in.h>
#include <sys/socket.h>

#include <cstring>

namespace corvane::ping {

PingOutcome<SocketAddressBytes> resolveHost(platform::HostResolver& resolver,
                                            const std::string& host) {
  auto records = resolver.resolve(host);
  if (!records) {
    return PingError(records.error().domain == platform::HostResolver::kNetDbDomain
                         ? PingError::Case::addressLookupError
                         : PingError::Case::unknownHostError);
  }
  // The first IPv4 record wins; a name with only IPv6 addresses cannot be pinged here.
  for (const auto& record : *records) {
    if (record.size() < sizeof(sockaddr_in)) {
      continue;
    }
    sa_family_t family = 0;
    std::memcpy(&family, record.data() + offsetof(sockaddr_in, sin_family), sizeof family);
    if (family != AF_INET) {
      continue;
    }
    SocketAddressBytes bytes{};
    std::memcpy(bytes.data(), record.data(), bytes.size());
    return bytes;
  }
  return PingError(PingError::Case::hostNotFound);
}

}  // namespace corvane::ping
