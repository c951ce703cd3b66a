#include "daemon/engines/wireguard/wireguard_netlink.h"

#include <arpa/inet.h>
#include <fmt/format.h>
#include <linux/genetlink.h>
#include <linux/netlink.h>
#include <linux/wireguard.h>
#include <netinet/in.h>
#include <netlink/attr.h>
#include <netlink/errno.h>
#include <netlink/genl/ctrl.h>
#include <netlink/genl/genl.h>
#include <netlink/msg.h>
#include <netlink/netlink.h>
#include <netlink/socket.h>
#include <string.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace corvane::daemon::engines::wireguard {
namespace {

constexpr const char* kDomain = "WireGuardNetlink";
// One set message carries every peer and allowed IP; the kernel takes messages up to the
// socket's send buffer (200 KB by default), several thousand allowed IPs.
constexpr std::size_t kSetMessageSize = 128 * 1024;
// A dump message is at most a few pages; the buffer is checked for truncation anyway.
constexpr std::size_t kReceiveBuffer = 64 * 1024;
// Replies are read until the dump's end, at most this many messages (a dump of a device with
// one or two peers is one or two messages).
constexpr int kMaxDumpMessages = 4096;

Error netlinkError(const std::string& what, int error) {
  return Error(kDomain, -error, fmt::format("{}: {}", what, nl_geterror(error)));
}

Result<void> putEndpoint(nl_msg* message, const engine::ServerEndpoint& endpoint) {
  if (endpoint.address.find(':') != std::string::npos) {
    sockaddr_in6 address{};
    address.sin6_family = AF_INET6;
    address.sin6_port = htons(endpoint.port);
    if (inet_pton(AF_INET6, endpoint.address.c_str(), &address.sin6_addr) != 1) {
      return Error(kDomain, EINVAL,
                   fmt::format("endpoint address `{}' is not numeric", endpoint.address));
    }
    if (nla_put(message, WGPEER_A_ENDPOINT, sizeof address, &address) < 0)
      return Error(kDomain, ENOSPC, "message full");
  } else {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(endpoint.port);
    if (inet_pton(AF_INET, endpoint.address.c_str(), &address.sin_addr) != 1) {
      return Error(kDomain, EINVAL,
                   fmt::format("endpoint address `{}' is not numeric", endpoint.address));
    }
    if (nla_put(message, WGPEER_A_ENDPOINT, sizeof address, &address) < 0)
      return Error(kDomain, ENOSPC, "message full");
  }
  return Result<void>::success();
}

// The key bytes of a WireGuardKey, which hands them out only as hex.
struct RawKey {
  std::uint8_t bytes[WG_KEY_LEN]{};
  explicit RawKey(const WireGuardKey& key) {
    std::string hex = key.hex();
    for (std::size_t i = 0; i < WG_KEY_LEN; ++i) {
      auto nibble = [](char c) {
        return static_cast<std::uint8_t>(c <= '9' ? c - '0' : c - 'a' + 10);
      };
      bytes[i] = static_cast<std::uint8_t>(nibble(hex[2 * i]) << 4 | nibble(hex[2 * i + 1]));
    }
    explicit_bzero(hex.data(), hex.size());
  }
  ~RawKey() { explicit_bzero(bytes, sizeof bytes); }
  RawKey(const RawKey&) = delete;
  RawKey& operator=(const RawKey&) = delete;
};

void wipeAndFree(nl_msg* message) {
  nlmsghdr* header = nlmsg_hdr(message);
  explicit_bzero(header, header->nlmsg_len);
  nlmsg_free(message);
}

}  // namespace

Result<void> putDeviceSettings(nl_msg* message, const std::string& interfaceName,
                               const DeviceSettings& settings) {
  const Error full(kDomain, ENOSPC, "too many peers or allowed IPs for one message");
  RawKey privateKey(settings.config.privateKey);
  if (nla_put_string(message, WGDEVICE_A_IFNAME, interfaceName.c_str()) < 0 ||
      nla_put(message, WGDEVICE_A_PRIVATE_KEY, WG_KEY_LEN, privateKey.bytes) < 0 ||
      nla_put_u32(message, WGDEVICE_A_FWMARK, settings.fwmark) < 0 ||
      nla_put_u32(message, WGDEVICE_A_FLAGS, WGDEVICE_F_REPLACE_PEERS) < 0) {
    return full;
  }
  nlattr* peers = nla_nest_start(message, WGDEVICE_A_PEERS | NLA_F_NESTED);
  if (!peers) return full;
  for (std::size_t i = 0; i < settings.config.peers.size(); ++i) {
    const auto& peer = settings.config.peers[i];
    nlattr* entry = nla_nest_start(message, static_cast<int>(i) | NLA_F_NESTED);
    if (!entry) return full;
    RawKey publicKey(peer.publicKey);
    if (nla_put(message, WGPEER_A_PUBLIC_KEY, WG_KEY_LEN, publicKey.bytes) < 0 ||
        nla_put_u32(message, WGPEER_A_FLAGS, WGPEER_F_REPLACE_ALLOWEDIPS) < 0) {
      return full;
    }
    if (peer.presharedKey) {
      RawKey preshared(*peer.presharedKey);
      if (nla_put(message, WGPEER_A_PRESHARED_KEY, WG_KEY_LEN, preshared.bytes) < 0) return full;
    }
    if (i >= settings.endpoints.size())
      return Error(kDomain, EINVAL, fmt::format("peer {} has no endpoint", i + 1));
    if (auto put = putEndpoint(message, settings.endpoints[i]); !put) return put;
    if (peer.persistentKeepalive && nla_put_u16(message, WGPEER_A_PERSISTENT_KEEPALIVE_INTERVAL,
                                                *peer.persistentKeepalive) < 0) {
      return full;
    }
    nlattr* allowed = nla_nest_start(message, WGPEER_A_ALLOWEDIPS | NLA_F_NESTED);
    if (!allowed) return full;
    int index = 0;
    for (const auto& prefix : peer.allowedIps) {
      nlattr* ip = nla_nest_start(message, index++ | NLA_F_NESTED);
      if (!ip ||
          nla_put_u16(message, WGALLOWEDIP_A_FAMILY, static_cast<std::uint16_t>(prefix.family)) <
              0 ||
          nla_put(message, WGALLOWEDIP_A_IPADDR, prefix.isIpv6() ? 16 : 4, prefix.bytes.data()) <
              0 ||
          nla_put_u8(message, WGALLOWEDIP_A_CIDR_MASK, static_cast<std::uint8_t>(prefix.length)) <
              0) {
        return full;
      }
      nla_nest_end(message, ip);
    }
    nla_nest_end(message, allowed);
    nla_nest_end(message, entry);
  }
  nla_nest_end(message, peers);
  return Result<void>::success();
}

Result<DumpStep> addDumpMessage(const nlmsghdr* message, DeviceState& state) {
  if (message->nlmsg_type == NLMSG_DONE || message->nlmsg_type == NLMSG_ERROR) {
    // Both carry an int error first (NLMSG_ERROR in its nlmsgerr); zero is the end.
    int error = 0;
    if (message->nlmsg_len >= NLMSG_HDRLEN + sizeof error)
      std::memcpy(&error, nlmsg_data(message), sizeof error);
    if (error < 0)
      return Error(kDomain, -error,
                   fmt::format("the kernel refused the device dump: {}", std::strerror(-error)));
    return message->nlmsg_type == NLMSG_DONE ? DumpStep::done : DumpStep::more;
  }
  static nla_policy devicePolicy[WGDEVICE_A_MAX + 1] = {};
  devicePolicy[WGDEVICE_A_PEERS].type = NLA_NESTED;
  static nla_policy peerPolicy[WGPEER_A_MAX + 1] = {};
  peerPolicy[WGPEER_A_RX_BYTES].type = NLA_U64;
  peerPolicy[WGPEER_A_TX_BYTES].type = NLA_U64;
  peerPolicy[WGPEER_A_LAST_HANDSHAKE_TIME].minlen = 2 * sizeof(std::int64_t);

  nlattr* device[WGDEVICE_A_MAX + 1] = {};
  if (int error = nlmsg_parse(const_cast<nlmsghdr*>(message), GENL_HDRLEN, device, WGDEVICE_A_MAX,
                              devicePolicy);
      error < 0) {
    return netlinkError("malformed device dump", error);
  }
  if (!device[WGDEVICE_A_PEERS]) return DumpStep::more;
  nlattr* entry = nullptr;
  int remaining = 0;
  nla_for_each_nested(entry, device[WGDEVICE_A_PEERS], remaining) {
    nlattr* peer[WGPEER_A_MAX + 1] = {};
    if (int error = nla_parse_nested(peer, WGPEER_A_MAX, entry, peerPolicy); error < 0) {
      return netlinkError("malformed peer in the device dump", error);
    }
    if (peer[WGPEER_A_RX_BYTES]) state.rxBytes += nla_get_u64(peer[WGPEER_A_RX_BYTES]);
    if (peer[WGPEER_A_TX_BYTES]) state.txBytes += nla_get_u64(peer[WGPEER_A_TX_BYTES]);
    if (peer[WGPEER_A_LAST_HANDSHAKE_TIME]) {
      std::int64_t seconds = 0;
      std::memcpy(&seconds, nla_data(peer[WGPEER_A_LAST_HANDSHAKE_TIME]), sizeof seconds);
      state.lastHandshake = std::max(state.lastHandshake, seconds);
    }
  }
  return DumpStep::more;
}

Result<DumpStep> addDumpBuffer(std::span<const std::uint8_t> buffer, DeviceState& state) {
  auto* message = reinterpret_cast<const nlmsghdr*>(buffer.data());
  int remaining = static_cast<int>(buffer.size());
  while (nlmsg_ok(message, remaining)) {
    auto step = addDumpMessage(message, state);
    if (!step || *step == DumpStep::done) return step;
    message = nlmsg_next(const_cast<nlmsghdr*>(message), &remaining);
  }
  if (remaining != 0)
    return Error(kDomain, EPROTO, "a truncated netlink message in the device dump");
  return DumpStep::more;
}

WireGuardNetlink::~WireGuardNetlink() {
  if (socket_) nl_socket_free(socket_);
}

WireGuardNetlink::WireGuardNetlink(WireGuardNetlink&& other) noexcept
    : socket_(std::exchange(other.socket_, nullptr)), family_(other.family_) {}

WireGuardNetlink& WireGuardNetlink::operator=(WireGuardNetlink&& other) noexcept {
  if (this != &other) {
    if (socket_) nl_socket_free(socket_);
    socket_ = std::exchange(other.socket_, nullptr);
    family_ = other.family_;
  }
  return *this;
}

Result<WireGuardNetlink> WireGuardNetlink::open() {
  WireGuardNetlink link;
  link.socket_ = nl_socket_alloc();
  if (!link.socket_) return Error(kDomain, ENOMEM, "cannot allocate a netlink socket");
  if (int error = genl_connect(link.socket_); error < 0)
    return netlinkError("cannot open generic netlink", error);
  // An error answer would otherwise carry the whole request back, private key included.
  int one = 1;
  setsockopt(nl_socket_get_fd(link.socket_), SOL_NETLINK, NETLINK_CAP_ACK, &one, sizeof one);
  int family = genl_ctrl_resolve(link.socket_, WG_GENL_NAME);
  // The family lookup leaves libnl's expected sequence number behind the next request's; the
  // socket serves one request at a time, and dump replies are matched by hand in get().
  nl_socket_disable_seq_check(link.socket_);
  if (family < 0) {
    return Error(kDomain, kFamilyMissing,
                 fmt::format("the kernel has no \"{}\" generic netlink family: {}", WG_GENL_NAME,
                             nl_geterror(family)));
  }
  link.family_ = family;
  return link;
}

Result<void> WireGuardNetlink::set(const std::string& interfaceName,
                                   const DeviceSettings& settings) {
  nl_msg* message = nlmsg_alloc_size(kSetMessageSize);
  if (!message) return Error(kDomain, ENOMEM, "cannot allocate a netlink message");
  if (!genlmsg_put(message, NL_AUTO_PORT, NL_AUTO_SEQ, family_, 0, NLM_F_REQUEST | NLM_F_ACK,
                   WG_CMD_SET_DEVICE, WG_GENL_VERSION)) {
    nlmsg_free(message);
    return Error(kDomain, ENOMEM, "cannot start a netlink message");
  }
  if (auto put = putDeviceSettings(message, interfaceName, settings); !put) {
    wipeAndFree(message);
    return put;
  }
  int error = nl_send_auto(socket_, message);
  wipeAndFree(message);
  if (error >= 0) error = nl_wait_for_ack(socket_);
  if (error < 0) return netlinkError(fmt::format("configuring {}", interfaceName), error);
  return Result<void>::success();
}

Result<DeviceState> WireGuardNetlink::get(const std::string& interfaceName) {
  nl_msg* message = nlmsg_alloc();
  if (!message) return Error(kDomain, ENOMEM, "cannot allocate a netlink message");
  int error = 0;
  if (!genlmsg_put(message, NL_AUTO_PORT, NL_AUTO_SEQ, family_, 0, NLM_F_REQUEST | NLM_F_DUMP,
                   WG_CMD_GET_DEVICE, WG_GENL_VERSION) ||
      nla_put_string(message, WGDEVICE_A_IFNAME, interfaceName.c_str()) < 0) {
    nlmsg_free(message);
    return Error(kDomain, ENOMEM, "cannot build a netlink message");
  }
  error = nl_send_auto(socket_, message);
  const std::uint32_t sequence = nlmsg_hdr(message)->nlmsg_seq;
  nlmsg_free(message);
  if (error < 0) return netlinkError(fmt::format("reading {}", interfaceName), error);

  // Read by hand rather than through libnl's receive path: the dump carries the private key,
  // and this buffer is wiped after each message while libnl's would be freed as it is.
  std::vector<std::uint8_t> buffer(kReceiveBuffer);
  DeviceState state;
  Result<DeviceState> outcome =
      Error(kDomain, EPROTO, fmt::format("the dump of {} did not end", interfaceName));
  for (int round = 0; round < kMaxDumpMessages; ++round) {
    ssize_t got = recv(nl_socket_get_fd(socket_), buffer.data(), buffer.size(), MSG_TRUNC);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      outcome =
          Error(kDomain, errno, fmt::format("reading {}: {}", interfaceName, std::strerror(errno)));
      break;
    }
    if (static_cast<std::size_t>(got) > buffer.size()) {
      outcome = Error(kDomain, EMSGSIZE,
                      fmt::format("the dump of {} did not fit the buffer", interfaceName));
      break;
    }
    auto* header = reinterpret_cast<const nlmsghdr*>(buffer.data());
    // A reply to an earlier request that was given up on is skipped.
    if (static_cast<std::size_t>(got) >= sizeof *header && header->nlmsg_seq != sequence) continue;
    auto step = addDumpBuffer(
        std::span<const std::uint8_t>(buffer.data(), static_cast<std::size_t>(got)), state);
    explicit_bzero(buffer.data(), static_cast<std::size_t>(got));
    if (!step) {
      outcome = step.error();
      break;
    }
    if (*step == DumpStep::done) {
      outcome = state;
      break;
    }
  }
  return outcome;
}

}  // namespace corvane::daemon::engines::wireguard
