#include "daemon/engines/openvpn/openvpn_config.h"

#include <gtest/gtest.h>

#include <string>

namespace corvane::daemon::engines::openvpn {
namespace {

const std::string kCa = "<ca>\n-----BEGIN CERTIFICATE-----\nMIIBszCCAVmgAwIBAgIU\n-----END CERTIFICATE-----\n</ca>\n";
const std::string kBase = "client\ndev tun\nproto udp\nremote 10.91.0.1 1194\nnobind\n";

struct Injection {
  const char* name;
  std::string text;
  const char* reason;  // a part of the refusal's text
};

class OpenVpnInjection : public testing::TestWithParam<Injection> {};

TEST_P(OpenVpnInjection, IsRefusedWithItsReason) {
  const Injection& c = GetParam();
  auto config = parseOpenVpnConfig(c.text);
  ASSERT_FALSE(config) << c.name;
  EXPECT_EQ(config.error().domain, "configRefused");
  EXPECT_NE(config.error().description.find(c.reason), std::string::npos)
      << c.name << ": " << config.error().description;
}

INSTANTIATE_TEST_SUITE_P(
    Corpus, OpenVpnInjection,
    testing::Values(
        Injection{"up", kBase + "script-security 2\nup /bin/sh\n", "line 6: 'script-security' does not accept '2'"},
        Injection{"upAlone", kBase + "up /tmp/x.sh\n", "line 6: 'up' runs a program"},
        Injection{"down", kBase + "down /tmp/x.sh\n", "runs a program"},
        Injection{"routeUp", kBase + "route-up \"/bin/sh -c id\"\n", "runs a program"},
        Injection{"ipchange", kBase + "ipchange /x\n", "runs a program"},
        Injection{"tlsVerify", kBase + "tls-verify /x\n", "runs a program"},
        Injection{"authVerify", kBase + "auth-user-pass-verify /x via-env\n", "runs a program"},
        Injection{"learnAddress", kBase + "learn-address /x\n", "runs a program"},
        Injection{"clientConnect", kBase + "client-connect /x\n", "runs a program"},
        Injection{"iproute", kBase + "iproute /tmp/ip\n", "runs a program"},
        Injection{"setenv", kBase + "setenv PATH /tmp\n", "runs a program"},
        Injection{"doubleDash", kBase + "--up /bin/sh\n", "'up' runs a program"},
        Injection{"plugin", kBase + "plugin /usr/lib/x.so\n", "loads code"},
        Injection{"engine", kBase + "engine dynamic\n", "loads code"},
        Injection{"providers", kBase + "providers legacy\n", "loads code"},
        Injection{"scriptSecurity3", kBase + "script-security 3\n", "does not accept '3'"},
        Injection{"management", kBase + "management 0.0.0.0 7505\n", "opens a control channel"},
        Injection{"log", kBase + "log /etc/passwd\n", "writes a file"},
        Injection{"logAppend", kBase + "log-append /root/.bashrc\n", "writes a file"},
        Injection{"writepid", kBase + "writepid /etc/shadow\n", "writes a file"},
        Injection{"status", kBase + "status /tmp/s 1\n", "writes a file"},
        Injection{"config", kBase + "config /etc/openvpn/other.conf\n", "reads another configuration file"},
        Injection{"cd", kBase + "cd /etc\n", "changes how the service runs openvpn"},
        Injection{"chroot", kBase + "chroot /tmp\n", "changes how"},
        Injection{"daemon", kBase + "daemon\n", "changes how"},
        Injection{"user", kBase + "user nobody\n", "changes how"},
        Injection{"caFile", kBase + "ca /etc/ssl/private/key.pem\n", "names a file"},
        Injection{"keyFile", kBase + "key /root/key\n", "names a file"},
        Injection{"tlsAuthFile", kBase + "tls-auth ta.key 1\n", "names a file"},
        Injection{"authUserPassFile", kBase + "auth-user-pass /root/creds\n", "names a file"},
        Injection{"authUserPassConsole", kBase + "auth-user-pass\n", "ask for credentials on a console"},
        Injection{"upBlock", kBase + "<up>\n/bin/sh\n</up>\n", "inline block '<up>' is not accepted"},
        // <connection> blocks are read with the same allowlist, and hold one server's way only.
        Injection{"connectionUp", kBase + "<connection>\nremote 10.0.0.9\nup /x\n</connection>\n", "line 8: 'up' runs a program"},
        Injection{"connectionOther", kBase + "<connection>\nremote 10.0.0.9\ncipher AES-256-GCM\n</connection>\n",
                  "line 8: 'cipher' is not accepted inside <connection>"},
        Injection{"connectionBlockInside", kBase + "<connection>\nremote 10.0.0.9\n<ca>\n</ca>\n</connection>\n",
                  "inside <connection>"},
        Injection{"connectionTwoRemotes", kBase + "<connection>\nremote 10.0.0.9\nremote 10.0.0.8\n</connection>\n",
                  "a second 'remote'"},
        Injection{"connectionNoRemote", kBase + "<connection>\nnobind\n</connection>\n", "names no 'remote'"},
        Injection{"connectionNested", kBase + "<connection>\n<connection>\n", "inside another"},
        Injection{"connectionOpen", kBase + "<connection>\nremote 10.0.0.9\n", "line 6: <connection> is never closed"},
        Injection{"connectionBadHost", kBase + "<connection>\nremote -x\n</connection>\n", "host name or address"},
        // openvpn ends a block at any line that starts with the closing tag; what follows it
        // on later lines would be read as directives.
        Injection{"blockEndSmuggle", kBase + "<ca>\nAAAA\n</ca>x\nup /bin/sh\n</ca>\n", "unexpected"},
        Injection{"unclosedBlock", kBase + kCa.substr(0, kCa.size() - 6), "is never closed"},
        Injection{"longLine", kBase + "verify-x509-name " + std::string(300, 'a') + "\n", "longer than 250"},
        Injection{"longBlockLine", kBase + "<ca>\n" + std::string(400, 'A') + "\n</ca>\n", "longer than 250"},
        Injection{"nul", kBase + std::string("cipher AES\0up", 13) + "\n", "control character"},
        Injection{"backslash", kBase + "verify-x509-name a\\ b\n", "backslash"},
        Injection{"quoteInQuote", kBase + "verify-x509-name \"a'b\"\n", "quote or backslash"},
        Injection{"unterminated", kBase + "verify-x509-name \"abc\n", "unterminated quote"},
        Injection{"tap", "client\ndev tap\nremote 10.0.0.1\n", "'dev' does not accept 'tap'"},
        Injection{"server", kBase + "server 10.8.0.0 255.255.255.0\n", "runs a server"},
        Injection{"unknown", kBase + "frobnicate yes\n", "'frobnicate' is not an accepted directive"},
        Injection{"upperCase", kBase + "UP /bin/sh\n", "is not an accepted directive"},
        Injection{"badPort", "client\nremote 10.0.0.1 70000\n", "port from 1 to 65535"},
        Injection{"badHost", "client\nremote -oProxyCommand=x\n", "host name or address"},
        Injection{"noRemote", "client\ndev tun\n", "no 'remote'"},
        Injection{"oversized", kBase + std::string(300 * 1024, '#'), "at most 262144"},
        Injection{"tooManyWords", kBase + "remote-cert-ku a b c d e f g h i j k l m n o p q\n", "more than 16 words"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(OpenVpnConfig, AcceptsAServerProfileAndWritesItBackWordForWord) {
  const std::string text = "# from the service\nclient\ndev tun\nproto tcp-client\nremote vpn.example.net 443\n"
                           "remote 10.0.0.2\nresolv-retry infinite\nnobind\npersist-key\npersist-tun\n"
                           "remote-cert-tls server\ncipher AES-256-GCM\ndata-ciphers AES-256-GCM:CHACHA20-POLY1305\n"
                           "auth SHA256\nverb 3\nverify-x509-name \"CN=vpn server\" subject ; trailing comment\n"
                           "redirect-gateway def1 bypass-dhcp\nblock-outside-dns\n" + kCa +
                           "<auth-user-pass>\nalice\nsecret\n</auth-user-pass>\nauth-user-pass\n";
  auto config = parseOpenVpnConfig(text);
  ASSERT_TRUE(config) << config.error().description;
  const std::vector<OpenVpnRemote> remotes = {{"vpn.example.net", 443, "tcp"}, {"10.0.0.2", 1194, "tcp"}};
  EXPECT_EQ(config->remotes, remotes);
  const std::string rendered = config->render();
  // The service's own dev and verb replace the profile's; Windows-only switches are dropped.
  EXPECT_EQ(rendered.find("dev tun"), std::string::npos);
  EXPECT_EQ(rendered.find("verb"), std::string::npos);
  EXPECT_EQ(rendered.find("block-outside-dns"), std::string::npos);
  EXPECT_NE(rendered.find("verify-x509-name \"CN=vpn server\" subject\n"), std::string::npos);
  auto again = parseOpenVpnConfig(rendered);
  ASSERT_TRUE(again) << again.error().description;
  EXPECT_EQ(again->directives, config->directives);
  EXPECT_EQ(again->blocks, config->blocks);
}

// Each <connection> block is one more server, with the block's own port and protocol over the
// profile's; the blocks are written back as blocks.
TEST(OpenVpnConfig, ReadsConnectionBlocksAsServersOfTheirOwn) {
  const std::string text = "client\nproto udp\nport 1194\nremote 10.0.0.1\n<connection>\nremote 10.0.0.2 443\n"
                           "proto tcp-client\nconnect-timeout 5\n</connection>\n<connection>\nremote 10.0.0.3\n"
                           "</connection>\n";
  auto config = parseOpenVpnConfig(text);
  ASSERT_TRUE(config) << config.error().description;
  const std::vector<OpenVpnRemote> remotes = {{"10.0.0.1", 1194, "udp"}, {"10.0.0.2", 443, "tcp"}, {"10.0.0.3", 1194, "udp"}};
  EXPECT_EQ(config->remotes, remotes);
  ASSERT_EQ(config->connections.size(), 2u);
  auto again = parseOpenVpnConfig(config->render());
  ASSERT_TRUE(again) << again.error().description;
  EXPECT_EQ(again->connections, config->connections);
  EXPECT_EQ(again->remotes, remotes);
}

}  // namespace
}  // namespace corvane::daemon::engines::openvpn
