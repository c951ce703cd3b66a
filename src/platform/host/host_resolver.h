#pragma once
// Name-to-address resolution. The echo engine turns a host name into the IPv4 socket address
// it sends to; what it does with the records is its own business, this layer only looks up.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/result.h"

namespace corvane::platform {

class HostResolver {
 public:
  // Failures of the name lookup itself (unknown name, no data, temporary failure): the code
  // is the resolver's EAI_* value.
  static constexpr const char* kNetDbDomain = "NetDB";
  // Failures below the lookup (the system call failed): the code is errno.
  static constexpr const char* kPosixDomain = "POSIX";

  using AddressRecord = std::vector<std::uint8_t>;

  virtual ~HostResolver() = default;

  // Every socket address record `host` resolves to, in the resolver's order, each the raw
  // bytes of a sockaddr_in or sockaddr_in6. An empty list is a success with no addresses.
  virtual Result<std::vector<AddressRecord>> resolve(const std::string& host) = 0;
};

// The system resolver (getaddrinfo: /etc/hosts, DNS, ... as nsswitch.conf says).
std::unique_ptr<HostResolver> makeSystemHostResolver();

}  // namespace corvane::platform
