#include "daemon/engines/transparent/transparent_rules.h"

#include <gtest/gtest.h>

namespace corvane::daemon::engines::transparent {
namespace {

// The server's addresses come from outside (a configuration, a name lookup) and end up in an
// nftables script: anything that is not an address must not reach it.
TEST(TransparentRules, WritesOnlyAddressesAndTheEnginesOwnWay) {
  TransparentRules rules;
  rules.port = 40000;
  rules.serverAddresses = {"192.0.2.7", "2001:db8::7", "1.2.3.4 } accept; chain x {", "example.net"};
  const std::string text = nftTransparentRuleset(rules);
  EXPECT_NE(text.find("ip daddr { 192.0.2.7 } ct mark set 0xca77 return"), std::string::npos) << text;
  EXPECT_NE(text.find("ip6 daddr { 2001:db8::7 } ct mark set 0xca77 return"), std::string::npos) << text;
  EXPECT_EQ(text.find("chain x"), std::string::npos);
  EXPECT_EQ(text.find("example.net"), std::string::npos);
  EXPECT_NE(text.find("tproxy ip to 127.0.0.1:40000"), std::string::npos);
  EXPECT_EQ(text.find("meta mark 0x"), text.find("meta mark 0xca79 meta l4proto")) << "no engine mark was given";

  rules.engineMark = 0xca77;
  EXPECT_NE(nftTransparentRuleset(rules).find("meta mark 0xca77 ct mark set 0xca77 return"), std::string::npos);
}

}  // namespace
}  // namespace corvane::daemon::engines::transparent
