#include "daemon/engines/openvpn/management_event.h"

#include <gtest/gtest.h>

namespace corvane::daemon::engines::openvpn {
namespace {

using Kind = ManagementEvent::Kind;

TEST(OpenVpnManagement, ReadsStateBytesAndPushedDns) {
  struct Case {
    const char* line;
    Kind kind;
    std::string state;
    std::string tunnelAddress;
    std::vector<std::string> dns;
  };
  const Case cases[] = {
      {">STATE:1733580000,CONNECTED,SUCCESS,10.8.0.2,192.168.79.1,1194,,\r", Kind::state, "CONNECTED", "10.8.0.2", {}},
      {">STATE:1733580000,RECONNECTING,ping-restart,,,,,", Kind::state, "RECONNECTING", "", {}},
      // The server chooses what follows CONNECTED: a field that is not an address is dropped.
      {">STATE:1,CONNECTED,SUCCESS,10.8.0.2; rm -rf,1.2.3.4,1", Kind::state, "CONNECTED", "", {}},
      {">LOG:1,I,PUSH: Received control message: 'PUSH_REPLY,redirect-gateway def1,dhcp-option DNS 10.79.0.1,"
       "dhcp-option DNS fd00::53,dhcp-option DNS evil',route 10.8.0.1",
       Kind::pushedDns, "", "", {"10.79.0.1", "fd00::53"}},
      {">LOG:1,I,PUSH: Received control message: 'PUSH_REPLY,route-gateway 10.8.0.1'", Kind::other, "", "", {}},
      {">HOLD:Waiting for hold release:0", Kind::hold, "", "", {}},
      {"SUCCESS: real-time state notification set to ON", Kind::other, "", "", {}},
      {">STATE:", Kind::other, "", "", {}},
  };
  for (const Case& c : cases) {
    auto event = parseManagementLine(c.line);
    EXPECT_EQ(event.kind, c.kind) << c.line;
    EXPECT_EQ(event.state, c.state) << c.line;
    EXPECT_EQ(event.tunnelAddress, c.tunnelAddress) << c.line;
    EXPECT_EQ(event.dnsServers, c.dns) << c.line;
  }
  auto bytes = parseManagementLine(">BYTECOUNT:123456,7890");
  EXPECT_EQ(bytes.kind, Kind::bytes);
  EXPECT_EQ(bytes.rxBytes, 123456u);
  EXPECT_EQ(bytes.txBytes, 7890u);
}

}  // namespace
}  // namespace corvane::daemon::engines::openvpn
