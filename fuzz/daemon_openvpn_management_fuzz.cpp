// Feeds arbitrary lines to the reader of openvpn's management interface. Part of what it reads
// is the server's pushed options, so it is outside input: addresses it yields must be
// addresses.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "daemon/engines/openvpn/management_event.h"
#include "daemon/net/ip_prefix.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view line(reinterpret_cast<const char*>(data), size);
  auto event = corvane::daemon::engines::openvpn::parseManagementLine(line);
  for (const auto& server : event.dnsServers) {
    if (!corvane::daemon::net::IpPrefix::parseAddress(server)) std::abort();
  }
  if (!event.tunnelAddress.empty() && !corvane::daemon::net::IpPrefix::parseAddress(event.tunnelAddress)) std::abort();
  return 0;
}
