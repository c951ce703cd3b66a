// The generic netlink messages of kernel WireGuard, at the byte level where they go wrong:
// a device dump split over messages, the kernel's error at its end, attributes too short or
// cut off; and the endpoint encoding of a set message (port in network order, both families).
#include "daemon/engines/wireguard/wireguard_netlink.h"

#include <gtest/gtest.h>
#include <linux/genetlink.h>
#include <linux/netlink.h>
#include <linux/wireguard.h>
#include <netinet/in.h>
#include <netlink/attr.h>
#include <netlink/genl/genl.h>
#include <netlink/msg.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <vector>

#include "daemon/engines/wireguard/wireguard_config.h"

namespace corvane::daemon::engines::wireguard {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct PeerReply {
  std::optional<std::uint64_t> rx, tx;
  std::optional<std::int64_t> handshake;
  int handshakeLength = 16;
};

// One WG_CMD_GET_DEVICE reply message as the kernel sends it, with these peers.
Bytes reply(const std::vector<PeerReply>& peers) {
  nl_msg* message = nlmsg_alloc();
  genlmsg_put(message, 0, 7, 0x20, 0, NLM_F_MULTI, WG_CMD_GET_DEVICE, WG_GENL_VERSION);
  nla_put_string(message, WGDEVICE_A_IFNAME, "cvc0");
  std::uint8_t key[WG_KEY_LEN] = {1, 2, 3};
  nla_put(message, WGDEVICE_A_PRIVATE_KEY, WG_KEY_LEN, key);
  nlattr* list = nla_nest_start(message, WGDEVICE_A_PEERS | NLA_F_NESTED);
  int index = 0;
  for (const auto& peer : peers) {
    nlattr* entry = nla_nest_start(message, index++ | NLA_F_NESTED);
    nla_put(message, WGPEER_A_PUBLIC_KEY, WG_KEY_LEN, key);
    if (peer.rx) nla_put_u64(message, WGPEER_A_RX_BYTES, *peer.rx);
    if (peer.tx) nla_put_u64(message, WGPEER_A_TX_BYTES, *peer.tx);
    if (peer.handshake) {
      std::int64_t time[2] = {*peer.handshake, 500};
      nla_put(message, WGPEER_A_LAST_HANDSHAKE_TIME, peer.handshakeLength, time);
    }
    nla_nest_end(message, entry);
  }
  nla_nest_end(message, list);
  auto* header = nlmsg_hdr(message);
  Bytes bytes(reinterpret_cast<std::uint8_t*>(header),
              reinterpret_cast<std::uint8_t*>(header) + header->nlmsg_len);
  nlmsg_free(message);
  return bytes;
}

Bytes done(int error) {
  Bytes bytes(NLMSG_LENGTH(sizeof error));
  auto* header = reinterpret_cast<nlmsghdr*>(bytes.data());
  header->nlmsg_len = static_cast<std::uint32_t>(bytes.size());
  header->nlmsg_type = NLMSG_DONE;
  header->nlmsg_flags = NLM_F_MULTI;
  std::memcpy(NLMSG_DATA(header), &error, sizeof error);
  return bytes;
}

Bytes join(std::vector<Bytes> parts) {
  Bytes all;
  for (auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

struct DumpCase {
  const char* name;
  std::function<Bytes()> buffer;
  bool ok;
  DumpStep step = DumpStep::done;
  DeviceState expected{};
  std::int64_t errorCode = 0;
};

TEST(WireGuardNetlink, DeviceDumpsAreReadWhole) {
  const std::vector<DumpCase> cases = {
      {"two peers: counters summed, the newest handshake",
       [] {
         return join({reply({{100, 10, 1700000000}, {5, 7, 1700000050}}), done(0)});
       },
       true,
       DumpStep::done,
       {105, 17, 1700000050}},
      {"a peer continued in the next message (key and allowed IPs only) counts once",
       [] {
         return join({reply({{100, 10, 1700000000}}), reply({{}}), done(0)});
       },
       true,
       DumpStep::done,
       {100, 10, 1700000000}},
      {"a peer that never shook hands leaves the handshake at 0",
       [] {
         return join({reply({{0, 148, 0}}), done(0)});
       },
       true,
       DumpStep::done,
       {0, 148, 0}},
      {"no end yet: more to read",
       [] {
         return reply({{1, 2, 3}});
       },
       true,
       DumpStep::more,
       {1, 2, 3}},
      {"the kernel's error at the end (interface gone)",
       [] { return join({done(-ENODEV)}); },
       false,
       DumpStep::done,
       {},
       ENODEV},
      {"a handshake time shorter than a timespec is refused, not read past",
       [] {
         PeerReply peer{1, 1, 1700000000};
         peer.handshakeLength = 8;
         return join({reply({peer}), done(0)});
       },
       false},
      {"a message cut off in the middle",
       [] {
         auto bytes = join({reply({{1, 2, 3}}), done(0)});
         bytes.resize(bytes.size() - done(0).size() - 12);
         return bytes;
       },
       false},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(row.name);
    Bytes bytes = row.buffer();
    DeviceState state;
    auto step = addDumpBuffer(bytes, state);
    ASSERT_EQ(step.ok(), row.ok) << (step.ok() ? "" : step.error().description);
    if (!row.ok) {
      if (row.errorCode != 0) {
        EXPECT_EQ(step.error().code, row.errorCode);
      }
      continue;
    }
    EXPECT_EQ(*step, row.step);
    EXPECT_EQ(state.rxBytes, row.expected.rxBytes);
    EXPECT_EQ(state.txBytes, row.expected.txBytes);
    EXPECT_EQ(state.lastHandshake, row.expected.lastHandshake);
  }
}

TEST(WireGuardNetlink, SetMessagesCarryEndpointsInNetworkOrder) {
  WireGuardConfig config;
  config.privateKey = *WireGuardKey::fromBase64("AQIDBAUGBwgJCgsMDQ4PEBESExQVFhcYGRobHB0eHyA=");
  WireGuardConfig::Peer peer;
  peer.publicKey = *WireGuardKey::fromBase64("ZWZnaGlqa2xtbm9wcXJzdHV2d3h5ent8fX5/gIGCg4Q=");
  config.peers = {peer};
  struct Row {
    engine::ServerEndpoint endpoint;
    int family;
    std::uint16_t port;
  };
  for (const Row& row :
       {Row{{"192.168.77.1", 51820}, AF_INET, 51820}, Row{{"fd77::1", 443}, AF_INET6, 443}}) {
    SCOPED_TRACE(row.endpoint.address);
    std::vector<engine::ServerEndpoint> endpoints = {row.endpoint};
    nl_msg* message = nlmsg_alloc();
    genlmsg_put(message, 0, 0, 0x20, 0, NLM_F_REQUEST, WG_CMD_SET_DEVICE, WG_GENL_VERSION);
    ASSERT_TRUE(putDeviceSettings(message, "cvc0", DeviceSettings{config, endpoints, 0x4356}));
    nlattr* device[WGDEVICE_A_MAX + 1] = {};
    ASSERT_EQ(nlmsg_parse(nlmsg_hdr(message), GENL_HDRLEN, device, WGDEVICE_A_MAX, nullptr), 0);
    ASSERT_TRUE(device[WGDEVICE_A_PRIVATE_KEY] && device[WGDEVICE_A_FWMARK] &&
                device[WGDEVICE_A_PEERS]);
    EXPECT_EQ(static_cast<const std::uint8_t*>(nla_data(device[WGDEVICE_A_PRIVATE_KEY]))[31], 32);
    EXPECT_EQ(nla_get_u32(device[WGDEVICE_A_FWMARK]), 0x4356u);
    EXPECT_EQ(nla_get_u32(device[WGDEVICE_A_FLAGS]),
              static_cast<std::uint32_t>(WGDEVICE_F_REPLACE_PEERS));
    nlattr* first = static_cast<nlattr*>(nla_data(device[WGDEVICE_A_PEERS]));
    nlattr* fields[WGPEER_A_MAX + 1] = {};
    ASSERT_EQ(nla_parse_nested(fields, WGPEER_A_MAX, first, nullptr), 0);
    ASSERT_TRUE(fields[WGPEER_A_ENDPOINT]);
    sockaddr_storage address{};
    std::memcpy(&address, nla_data(fields[WGPEER_A_ENDPOINT]),
                static_cast<std::size_t>(nla_len(fields[WGPEER_A_ENDPOINT])));
    EXPECT_EQ(address.ss_family, row.family);
    const auto port = row.family == AF_INET ? reinterpret_cast<sockaddr_in&>(address).sin_port
                                            : reinterpret_cast<sockaddr_in6&>(address).sin6_port;
    EXPECT_EQ(ntohs(port), row.port);
    nlmsg_free(message);
  }
}

}  // namespace
}  // namespace corvane::daemon::engines::wireguard
