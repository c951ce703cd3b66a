#pragma once
// The resolvers and search domains a tunnel asks for while it is up.
#include <string>
#include <vector>

namespace corvane::daemon::dns {

struct DnsSettings {
  std::vector<std::string> servers;  // numeric addresses
  std::vector<std::string> searchDomains;
  std::string interfaceName;  // the tunnel's link, for systemd-resolved; may be empty
};

}  // namespace corvane::daemon::dns
