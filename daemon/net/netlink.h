#pragma once
// The routing changes the daemon makes, through rtnetlink (libnl-3) rather than by running
// `ip`: links up and down, addresses, routes, and the policy rules of a full tunnel. Every
// call is synchronous (the kernel answers at once) and reports the operation and errno.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "daemon/net/ip_prefix.h"
#include "platform/core/result.h"

struct nl_sock;

namespace corvane::daemon::net {

// A policy rule as the daemon makes them, identified by its priority (cleanup removes rules
// by priority, since libnl cannot match the kernel's full rule key).
struct PolicyRule {
  int family = 0;
  std::uint32_t priority = 0;
  std::uint32_t table = 0;
  std::uint32_t fwmark = 0;            // with invert: "not fwmark" (wg-quick's first rule)
  bool invert = false;
  int suppressPrefixLength = -1;       // >= 0: "suppress_prefixlength N" (its second rule)
};

class Netlink {
 public:
  Netlink();
  ~Netlink();
  Netlink(const Netlink&) = delete;
  Netlink& operator=(const Netlink&) = delete;

  // The link's index, or 0 when there is none.
  int linkIndex(std::string_view name);
  std::vector<std::string> linkNamesWithPrefix(std::string_view prefix);
  Result<void> setLinkUp(int index, int mtu);
  // Makes a link of `kind` ("wireguard"). A kernel without that kind answers EOPNOTSUPP,
  // which comes back as code kUnsupportedKind.
  Result<void> addLink(std::string_view name, std::string_view kind);
  static constexpr std::int64_t kUnsupportedKind = 10;  // NLE_OPNOTSUPP
  Result<void> deleteLink(std::string_view name);
  Result<void> addAddress(int index, const IpPrefix& address);
  // A route for `destination` through the link, in `table` (254 is main).
  Result<void> addRoute(int index, const IpPrefix& destination, std::uint32_t table);
  // A route of type local ("local 0.0.0.0/0 dev lo table N"): packets routed by it are
  // delivered to this host, which is how TPROXY receives the host's own traffic.
  Result<void> addLocalRoute(int index, const IpPrefix& destination, std::uint32_t table);
  // Removes that route; none is not an error.
  Result<void> deleteLocalRoute(const IpPrefix& destination, std::uint32_t table);
  Result<void> addRule(const PolicyRule& rule);
  // Removes every rule of `family` with this priority; none is not an error.
  Result<void> deleteRules(int family, std::uint32_t priority);

 private:
  nl_sock* socket_ = nullptr;
  std::string openError_;
};

}  // namespace corvane::daemon::net
