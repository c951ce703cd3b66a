#include "daemon/net/ip_prefix.h"

#include <arpa/inet.h>

#include <charconv>

namespace corvane::daemon::net {

std::optional<IpPrefix> IpPrefix::parseAddress(std::string_view text) {
  // inet_pton needs a terminated string; 45 characters hold the longest IPv6 text form.
  if (text.empty() || text.size() > 45) return std::nullopt;
  std::string copy(text);
  IpPrefix out;
  if (inet_pton(AF_INET, copy.c_str(), out.bytes.data()) == 1) {
    out.family = AF_INET;
    out.length = 32;
    return out;
  }
  if (inet_pton(AF_INET6, copy.c_str(), out.bytes.data()) == 1) {
    out.family = AF_INET6;
    out.length = 128;
    return out;
  }
  return std::nullopt;
}

std::optional<IpPrefix> IpPrefix::parse(std::string_view text) {
  auto slash = text.find('/');
  auto prefix = parseAddress(text.substr(0, slash));
  if (!prefix || slash == std::string_view::npos) return prefix;
  std::string_view lengthText = text.substr(slash + 1);
  int length = -1;
  auto [end, error] = std::from_chars(lengthText.data(), lengthText.data() + lengthText.size(), length);
  if (error != std::errc() || end != lengthText.data() + lengthText.size() || lengthText.empty() ||
      length < 0 || length > prefix->maxLength()) {
    return std::nullopt;
  }
  prefix->length = length;
  return prefix;
}

bool IpPrefix::isIpv6() const { return family == AF_INET6; }

std::string IpPrefix::address() const {
  char buffer[INET6_ADDRSTRLEN] = {};
  inet_ntop(family, bytes.data(), buffer, sizeof buffer);
  return buffer;
}

std::string IpPrefix::text() const { return address() + "/" + std::to_string(length); }

}  // namespace corvane::daemon::net
