#include "daemon/engines/openvpn/management_event.h"

#include <charconv>

#include "daemon/net/ip_prefix.h"

namespace corvane::daemon::engines::openvpn {
namespace {

std::vector<std::string_view> split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  std::size_t at = 0;
  for (int guard = 0; guard < 512; ++guard) {
    std::size_t end = text.find(separator, at);
    if (end == std::string_view::npos) {
      parts.push_back(text.substr(at));
      break;
    }
    parts.push_back(text.substr(at, end - at));
    at = end + 1;
  }
  return parts;
}

std::uint64_t number(std::string_view text) {
  std::uint64_t value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

}  // namespace

ManagementEvent parseManagementLine(std::string_view line) {
  ManagementEvent event;
  if (line.ends_with('\r')) line.remove_suffix(1);
  if (line.starts_with(">STATE:")) {
    // >STATE:time,name,description,local address,remote address,remote port,...
    auto fields = split(line.substr(7), ',');
    if (fields.size() < 2) return event;
    event.kind = ManagementEvent::Kind::state;
    event.state = std::string(fields[1]);
    if (fields.size() > 3 && net::IpPrefix::parseAddress(fields[3])) event.tunnelAddress = std::string(fields[3]);
  } else if (line.starts_with(">BYTECOUNT:")) {
    auto fields = split(line.substr(11), ',');
    if (fields.size() != 2) return event;
    event.kind = ManagementEvent::Kind::bytes;
    event.rxBytes = number(fields[0]);
    event.txBytes = number(fields[1]);
  } else if (line.starts_with(">HOLD:")) {
    event.kind = ManagementEvent::Kind::hold;
  } else if (line.starts_with(">LOG:") && line.find("PUSH_REPLY") != std::string_view::npos) {
    // The options the server pushed, as openvpn logs them: "...'PUSH_REPLY,route ...,dhcp-option DNS 10.8.0.1,...'".
    for (auto option : split(line, ',')) {
      constexpr std::string_view kDns = "dhcp-option DNS ";
      if (!option.starts_with(kDns)) continue;
      auto address = option.substr(kDns.size());
      while (!address.empty() && (address.back() == '\'' || address.back() == ' ')) address.remove_suffix(1);
      if (auto parsed = net::IpPrefix::parseAddress(address)) event.dnsServers.push_back(parsed->address());
    }
    if (!event.dnsServers.empty()) event.kind = ManagementEvent::Kind::pushedDns;
  }
  return event;
}

}  // namespace corvane::daemon::engines::openvpn
