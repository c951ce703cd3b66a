#pragma once
// An IPv4 or IPv6 address with a prefix length ("10.66.0.2/32", "::/0"), in network order.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace corvane::daemon::net {

struct IpPrefix {
  int family = 0;  // AF_INET or AF_INET6
  std::array<std::uint8_t, 16> bytes{};
  int length = 0;

  // "a.b.c.d[/n]" or "x:y::z[/n]"; without "/n" the prefix covers the one address. Host bits
  // beyond the prefix are kept as given (an interface address keeps its host part).
  static std::optional<IpPrefix> parse(std::string_view text);
  // A bare address, no prefix allowed.
  static std::optional<IpPrefix> parseAddress(std::string_view text);

  bool isIpv6() const;
  int maxLength() const { return isIpv6() ? 128 : 32; }
  // The address alone, "10.66.0.2".
  std::string address() const;
  // "10.66.0.2/32".
  std::string text() const;

  friend bool operator==(const IpPrefix&, const IpPrefix&) = default;
};

}  // namespace corvane::daemon::net
