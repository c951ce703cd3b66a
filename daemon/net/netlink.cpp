#include "daemon/net/netlink.h"

#include <fmt/format.h>
#include <linux/fib_rules.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <netlink/addr.h>
#include <netlink/cache.h>
#include <netlink/errno.h>
#include <netlink/msg.h>
#include <netlink/netlink.h>
#include <netlink/route/addr.h>
#include <netlink/route/link.h>
#include <netlink/route/route.h>
#include <netlink/socket.h>

#include <memory>

namespace corvane::daemon::net {
namespace {

Error netlinkError(std::string what, int error) {
  return Error("Netlink", -error, fmt::format("{}: {}", what, nl_geterror(error)));
}

struct AddrDeleter {
  void operator()(nl_addr* a) const { nl_addr_put(a); }
};
using AddrPtr = std::unique_ptr<nl_addr, AddrDeleter>;

AddrPtr toNlAddr(const IpPrefix& prefix) {
  AddrPtr addr(nl_addr_build(prefix.family, prefix.bytes.data(), prefix.isIpv6() ? 16 : 4));
  if (addr) nl_addr_set_prefixlen(addr.get(), prefix.length);
  return addr;
}

}  // namespace

Netlink::Netlink() {
  socket_ = nl_socket_alloc();
  if (!socket_) {
    openError_ = "cannot allocate a netlink socket";
    return;
  }
  if (int error = nl_connect(socket_, NETLINK_ROUTE); error < 0) {
    openError_ = fmt::format("cannot open rtnetlink: {}", nl_geterror(error));
    nl_socket_free(socket_);
    socket_ = nullptr;
  }
}

Netlink::~Netlink() {
  if (socket_) nl_socket_free(socket_);
}

int Netlink::linkIndex(std::string_view name) {
  return static_cast<int>(if_nametoindex(std::string(name).c_str()));
}

std::vector<std::string> Netlink::linkNamesWithPrefix(std::string_view prefix) {
  std::vector<std::string> out;
  struct if_nameindex* list = if_nameindex();
  if (!list) return out;
  for (auto* entry = list; entry->if_index != 0; ++entry) {
    std::string_view name(entry->if_name);
    if (name.substr(0, prefix.size()) == prefix) out.emplace_back(name);
  }
  if_freenameindex(list);
  return out;
}

Result<void> Netlink::setLinkUp(int index, int mtu) {
  if (!socket_) return Error("Netlink", 0, openError_);
  rtnl_link* current = nullptr;
  if (int error = rtnl_link_get_kernel(socket_, index, nullptr, &current); error < 0) {
    return netlinkError(fmt::format("link {} not found", index), error);
  }
  rtnl_link* change = rtnl_link_alloc();
  rtnl_link_set_flags(change, IFF_UP);
  if (mtu > 0) rtnl_link_set_mtu(change, static_cast<unsigned>(mtu));
  int error = rtnl_link_change(socket_, current, change, 0);
  rtnl_link_put(change);
  rtnl_link_put(current);
  if (error < 0) return netlinkError(fmt::format("set link {} up with mtu {}", index, mtu), error);
  return Result<void>::success();
}

Result<void> Netlink::addLink(std::string_view name, std::string_view kind) {
  static_assert(kUnsupportedKind == NLE_OPNOTSUPP);
  if (!socket_) return Error("Netlink", 0, openError_);
  rtnl_link* link = rtnl_link_alloc();
  rtnl_link_set_name(link, std::string(name).c_str());
  int error = rtnl_link_set_type(link, std::string(kind).c_str());
  if (error >= 0) error = rtnl_link_add(socket_, link, NLM_F_CREATE | NLM_F_EXCL);
  rtnl_link_put(link);
  if (error < 0) return netlinkError(fmt::format("add {} link {}", kind, name), error);
  return Result<void>::success();
}

Result<void> Netlink::deleteLink(std::string_view name) {
  if (!socket_) return Error("Netlink", 0, openError_);
  rtnl_link* link = rtnl_link_alloc();
  rtnl_link_set_name(link, std::string(name).c_str());
  int error = rtnl_link_delete(socket_, link);
  rtnl_link_put(link);
  if (error < 0 && error != -NLE_NODEV && error != -NLE_OBJ_NOTFOUND) {
    return netlinkError(fmt::format("delete link {}", name), error);
  }
  return Result<void>::success();
}

Result<void> Netlink::addAddress(int index, const IpPrefix& address) {
  if (!socket_) return Error("Netlink", 0, openError_);
  rtnl_addr* addr = rtnl_addr_alloc();
  auto local = toNlAddr(address);
  rtnl_addr_set_ifindex(addr, index);
  rtnl_addr_set_family(addr, address.family);
  rtnl_addr_set_local(addr, local.get());
  rtnl_addr_set_prefixlen(addr, address.length);
  int error = rtnl_addr_add(socket_, addr, NLM_F_REPLACE);
  rtnl_addr_put(addr);
  if (error < 0) return netlinkError(fmt::format("add address {}", address.text()), error);
  return Result<void>::success();
}

Result<void> Netlink::addRoute(int index, const IpPrefix& destination, std::uint32_t table) {
  if (!socket_) return Error("Netlink", 0, openError_);
  IpPrefix network = destination;
  // The kernel refuses a route whose destination has host bits set ("10.0.0.1/8").
  for (int bit = network.length; bit < network.maxLength(); ++bit) {
    network.bytes[bit / 8] &= static_cast<std::uint8_t>(~(0x80 >> (bit % 8)));
  }
  rtnl_route* route = rtnl_route_alloc();
  auto dst = toNlAddr(network);
  rtnl_route_set_family(route, network.family);
  rtnl_route_set_dst(route, dst.get());
  rtnl_route_set_table(route, table);
  rtnl_route_set_scope(route, RT_SCOPE_LINK);
  rtnl_route_set_protocol(route, RTPROT_STATIC);
  rtnl_nexthop* hop = rtnl_route_nh_alloc();
  rtnl_route_nh_set_ifindex(hop, index);
  rtnl_route_add_nexthop(route, hop);
  int error = rtnl_route_add(socket_, route, NLM_F_REPLACE);
  rtnl_route_put(route);
  if (error < 0) return netlinkError(fmt::format("add route {} table {}", network.text(), table), error);
  return Result<void>::success();
}

Result<void> Netlink::addLocalRoute(int index, const IpPrefix& destination, std::uint32_t table) {
  if (!socket_) return Error("Netlink", 0, openError_);
  rtnl_route* route = rtnl_route_alloc();
  auto dst = toNlAddr(destination);
  rtnl_route_set_family(route, destination.family);
  rtnl_route_set_dst(route, dst.get());
  rtnl_route_set_table(route, table);
  rtnl_route_set_type(route, RTN_LOCAL);
  rtnl_route_set_scope(route, RT_SCOPE_HOST);
  rtnl_route_set_protocol(route, RTPROT_STATIC);
  rtnl_nexthop* hop = rtnl_route_nh_alloc();
  rtnl_route_nh_set_ifindex(hop, index);
  rtnl_route_add_nexthop(route, hop);
  int error = rtnl_route_add(socket_, route, NLM_F_REPLACE);
  rtnl_route_put(route);
  if (error < 0) return netlinkError(fmt::format("add local route {} table {}", destination.text(), table), error);
  return Result<void>::success();
}

Result<void> Netlink::deleteLocalRoute(const IpPrefix& destination, std::uint32_t table) {
  if (!socket_) return Error("Netlink", 0, openError_);
  rtnl_route* route = rtnl_route_alloc();
  auto dst = toNlAddr(destination);
  rtnl_route_set_family(route, destination.family);
  rtnl_route_set_dst(route, dst.get());
  rtnl_route_set_table(route, table);
  rtnl_route_set_type(route, RTN_LOCAL);
  rtnl_route_set_scope(route, RT_SCOPE_NOWHERE);
  int error = rtnl_route_delete(socket_, route, 0);
  rtnl_route_put(route);
  if (error < 0 && error != -NLE_OBJ_NOTFOUND && error != -NLE_NOADDR && error != -NLE_FAILURE) {
    return netlinkError(fmt::format("delete local route {} table {}", destination.text(), table), error);
  }
  return Result<void>::success();
}

Result<void> Netlink::addRule(const PolicyRule& rule) {
  if (!socket_) return Error("Netlink", 0, openError_);
  // libnl's rule object has no setters for the invert flag or suppress_prefixlength, so the
  // message is built by hand.
  nl_msg* msg = nlmsg_alloc_simple(RTM_NEWRULE, NLM_F_CREATE | NLM_F_EXCL);
  fib_rule_hdr header{};
  header.family = static_cast<std::uint8_t>(rule.family);
  header.action = FR_ACT_TO_TBL;
  header.table = rule.table < 256 ? static_cast<std::uint8_t>(rule.table) : static_cast<std::uint8_t>(RT_TABLE_UNSPEC);
  header.flags = rule.invert ? FIB_RULE_INVERT : 0;
  nlmsg_append(msg, &header, sizeof header, NLMSG_ALIGNTO);
  nla_put_u32(msg, FRA_PRIORITY, rule.priority);
  nla_put_u32(msg, FRA_TABLE, rule.table);
  if (rule.fwmark != 0) {
    nla_put_u32(msg, FRA_FWMARK, rule.fwmark);
    nla_put_u32(msg, FRA_FWMASK, 0xffffffffu);
  }
  if (rule.suppressPrefixLength >= 0) nla_put_u32(msg, FRA_SUPPRESS_PREFIXLEN, static_cast<std::uint32_t>(rule.suppressPrefixLength));
  int error = nl_send_auto(socket_, msg);
  nlmsg_free(msg);
  if (error >= 0) error = nl_wait_for_ack(socket_);
  if (error < 0) return netlinkError(fmt::format("add rule priority {}", rule.priority), error);
  return Result<void>::success();
}

Result<void> Netlink::deleteRules(int family, std::uint32_t priority) {
  if (!socket_) return Error("Netlink", 0, openError_);
  // Each delete removes one matching rule; a crash can have left at most a few, so the loop
  // stops at the first "no such rule" and never runs more than 16 times.
  for (int round = 0; round < 16; ++round) {
    nl_msg* msg = nlmsg_alloc_simple(RTM_DELRULE, 0);
    fib_rule_hdr header{};
    header.family = static_cast<std::uint8_t>(family);
    nlmsg_append(msg, &header, sizeof header, NLMSG_ALIGNTO);
    nla_put_u32(msg, FRA_PRIORITY, priority);
    int error = nl_send_auto(socket_, msg);
    nlmsg_free(msg);
    if (error >= 0) error = nl_wait_for_ack(socket_);
    if (error == -NLE_OBJ_NOTFOUND || error == -NLE_NOADDR || error == -NLE_NODEV) break;
    if (error < 0) return netlinkError(fmt::format("delete rule priority {}", priority), error);
  }
  return Result<void>::success();
}

}  // namespace corvane::daemon::net
