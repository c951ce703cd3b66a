#pragma once
// HostResolver over getaddrinfo(3).
#include "platform/host/host_resolver.h"

namespace corvane::platform {

class GetaddrinfoHostResolver : public HostResolver {
 public:
  Result<std::vector<AddressRecord>> resolve(const std::string& host) override;
};

}  // namespace corvane::platform
