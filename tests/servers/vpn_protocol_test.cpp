#include "servers/vpn_protocol.h"

#include <gtest/gtest.h>

namespace corvane::servers {
namespace {

struct TypeCase {
  VpnProtocol protocol;
  std::optional<std::int64_t> type;
  bool matches;
};

class ProtocolType : public ::testing::TestWithParam<TypeCase> {};

TEST_P(ProtocolType, Matches) {
  EXPECT_EQ(protocolMatchesType(GetParam().protocol, GetParam().type), GetParam().matches);
}

INSTANTIATE_TEST_SUITE_P(
    Types, ProtocolType,
    ::testing::Values(TypeCase{VpnProtocol::wireGuard, 5, true},
                      TypeCase{VpnProtocol::wireGuard, 1, false},
                      TypeCase{VpnProtocol::openVpn, 1, true},
                      TypeCase{VpnProtocol::openVpn, 6, true},
                      TypeCase{VpnProtocol::openVpn, 5, false},
                      TypeCase{VpnProtocol::shadowsocks, 4, true},
                      TypeCase{VpnProtocol::v2ray, 7, true},
                      TypeCase{VpnProtocol::v2ray, 4, false},
                      // 0 pads the type array; it must never match.
                      TypeCase{VpnProtocol::wireGuard, 0, false},
                      TypeCase{VpnProtocol::v2ray, 0, false},
                      TypeCase{VpnProtocol::openVpn, std::nullopt, false}));

TEST(ProtocolTable, CodesKeysAndLabels) {
  struct Row {
    VpnProtocol protocol;
    std::int64_t code;
    std::string_view key, label, header;
  };
  const Row rows[] = {
      {VpnProtocol::wireGuard, 1, "WireGuard", "WireGuard", "WireGuard"},
      {VpnProtocol::openVpn, 2, "OpenVPN", "Open VPN", "OpenVPN"},
      {VpnProtocol::shadowsocks, 3, "Shadowshocks", "Shadowshocks", "Shadowshocks"},
      {VpnProtocol::v2ray, 4, "V2ray", "V2ray", "V2ray"},
  };
  ASSERT_EQ(protocolTable().size(), 4u);
  for (std::size_t i = 0; i < 4; ++i) {
    const ProtocolInfo& info = protocolTable()[i];
    EXPECT_EQ(info.protocol, rows[i].protocol);
    EXPECT_EQ(info.code, rows[i].code);
    EXPECT_EQ(info.preferenceKey, rows[i].key);
    EXPECT_EQ(info.buttonLabel, rows[i].label);
    EXPECT_EQ(info.headerText, rows[i].header);
    EXPECT_EQ(protocolForCode(rows[i].code), rows[i].protocol);
  }
  EXPECT_EQ(protocolForCode(0), std::nullopt);
  EXPECT_EQ(protocolForCode(5), std::nullopt);
}

TEST(ProtocolTable, NamesForTheCommandLine) {
  EXPECT_EQ(protocolFromName("wireguard"), VpnProtocol::wireGuard);
  EXPECT_EQ(protocolFromName("Open VPN"), VpnProtocol::openVpn);
  EXPECT_EQ(protocolFromName("OPENVPN"), VpnProtocol::openVpn);
  EXPECT_EQ(protocolFromName("shadowsocks"), VpnProtocol::shadowsocks);
  EXPECT_EQ(protocolFromName("Shadowshocks"), VpnProtocol::shadowsocks);
  EXPECT_EQ(protocolFromName("v2ray"), VpnProtocol::v2ray);
  EXPECT_EQ(protocolFromName("ipsec"), std::nullopt);
  EXPECT_EQ(protocolFromName(""), std::nullopt);
}

}  // namespace
}  // namespace corvane::servers
