#include "platform/host/linux/getaddrinfo_host_resolver.h"

#include <netdb.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>

namespace corvane::platform {

Result<std::vector<HostResolver::AddressRecord>> GetaddrinfoHostResolver::resolve(
    const std::string& host) {
  // A name with an embedded NUL would be silently cut short by the C interface and resolve
  // something the caller never named.
  if (host.find('\0') != std::string::npos) {
    return Error(kPosixDomain, EINVAL, "host name contains a NUL byte");
  }
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  // One record per address rather than one per socket type.
  hints.ai_socktype = SOCK_DGRAM;
  addrinfo* list = nullptr;
  const int status = getaddrinfo(host.c_str(), nullptr, &hints, &list);
  if (status == EAI_SYSTEM) {
    const int err = errno;
    return Error(kPosixDomain, err, std::strerror(err));
  }
  if (status != 0) {
    return Error(kNetDbDomain, status, gai_strerror(status));
  }
  std::vector<AddressRecord> records;
  for (const addrinfo* entry = list; entry != nullptr; entry = entry->ai_next) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(entry->ai_addr);
    records.emplace_back(bytes, bytes + entry->ai_addrlen);
  }
  freeaddrinfo(list);
  return records;
}

std::unique_ptr<HostResolver> makeSystemHostResolver() {
  return std::make_unique<GetaddrinfoHostResolver>();
}

}  // namespace corvane::platform
