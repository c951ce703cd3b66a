#include "daemon/engines/shadowsocks/shadowsocks_config_parser.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

namespace corvane::daemon::engines::shadowsocks {
namespace {

struct Injection {
  const char* name;
  std::string text;
  const char* reason;
};

class ShadowsocksInjection : public testing::TestWithParam<Injection> {};

TEST_P(ShadowsocksInjection, IsRefusedWithItsReason) {
  const Injection& c = GetParam();
  auto config = parseShadowsocksConfig(c.text);
  ASSERT_FALSE(config) << c.name;
  EXPECT_NE(config.error().description.find(c.reason), std::string::npos)
      << c.name << ": " << config.error().description;
}

const std::string kJsonHead = R"({"server":"10.91.0.1","server_port":8388,"password":"pw","method":"aes-256-gcm")";

INSTANTIATE_TEST_SUITE_P(
    Corpus, ShadowsocksInjection,
    testing::Values(
        Injection{"linkPlugin", "ss://YWVzLTI1Ni1nY206cHc@10.0.0.1:8388/?plugin=obfs-local%3Bobfs%3Dhttp#x",
                  "'plugin' runs a program"},
        Injection{"linkPluginSecond", "ss://YWVzLTI1Ni1nY206cHc@10.0.0.1:8388/?a=b&plugin=x", "'plugin' runs a program"},
        Injection{"linkUnknownParam", "ss://YWVzLTI1Ni1nY206cHc@10.0.0.1:8388/?group=x", "unknown parameters"},
        Injection{"linkStreamCipher", "ss://cmM0LW1kNTpwdw@10.0.0.1:8388", "no integrity protection"},
        Injection{"linkBadPort", "ss://YWVzLTI1Ni1nY206cHc@10.0.0.1:0", "bad port"},
        Injection{"linkBadHost", "ss://YWVzLTI1Ni1nY206cHc@-x;id:80", "bad server address"},
        Injection{"linkNulPassword", "ss://aes-256-gcm:a%00b@10.0.0.1:8388", "holds control characters"},
        // Found by fuzzing: bytes that are not UTF-8 cannot be written to ss-redir's JSON file.
        Injection{"linkNotUtf8Password", "ss://aes-256-gcm:%FF@10.0.0.1:8388", "not UTF-8"},
        Injection{"linkSpace", "ss://YWVz LTI1Ni1nY206cHc@10.0.0.1:8388", "spaces or control"},
        Injection{"jsonPlugin", kJsonHead + R"(,"plugin":"/bin/sh"})", "key \"plugin\": runs a program"},
        Injection{"jsonPluginOpts", kJsonHead + R"(,"plugin_opts":"x"})", "plugins are not accepted"},
        Injection{"jsonAcl", kJsonHead + R"(,"acl":"/etc/shadow"})", "key \"acl\": names a file"},
        Injection{"jsonUser", kJsonHead + R"(,"user":"root"})", "changes the user"},
        Injection{"jsonManager", kJsonHead + R"(,"manager_address":"/tmp/m"})", "opens a control socket"},
        Injection{"jsonListenAll", kJsonHead + R"(,"local_address":"0.0.0.0"})", "listen off loopback"},
        Injection{"jsonServerList", R"({"server":["a","b"],"server_port":1,"password":"p","method":"aes-256-gcm"})",
                  "must be one host"},
        Injection{"jsonUnknown", kJsonHead + R"(,"pid_file":"/run/x"})", "key \"pid_file\": is not an accepted key"},
        Injection{"jsonNoPassword", R"({"server":"a","server_port":1,"method":"aes-256-gcm"})", "\"password\" is missing"},
        Injection{"jsonTable", R"({"server":"a","server_port":1,"password":"p","method":"table"})", "no integrity"},
        Injection{"jsonArray", "[1,2]", "not a JSON object"},
        Injection{"jsonDeep", std::string(100, '[') + std::string(100, ']'), "deeper than 32"},
        Injection{"jsonBroken", "{\"server\":", "not valid JSON"},
        Injection{"oversized", std::string(20000, ' '), "at most 16384"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ShadowsocksConfig, ReadsEveryLinkFormAndTheJsonObject) {
  struct Case {
    const char* text;
    std::string host;
    std::uint16_t port;
    std::string method;
    std::string password;
  };
  const Case cases[] = {
      {"ss://YWVzLTI1Ni1nY206cHc@10.0.0.1:8388#name", "10.0.0.1", 8388, "aes-256-gcm", "pw"},      // SIP002, no padding
      {"ss://YWVzLTI1Ni1nY206cHc=@10.0.0.1:8388/", "10.0.0.1", 8388, "aes-256-gcm", "pw"},         // padded, slash
      {"ss://chacha20-ietf-poly1305:p%40ss@[fd00::1]:443", "fd00::1", 443, "chacha20-ietf-poly1305", "p@ss"},
      {"ss://YWVzLTEyOC1nY206cGFzc0AxMC4wLjAuMjo4MA", "10.0.0.2", 80, "aes-128-gcm", "pass"},  // the whole in Base64
      {R"({"server":"h.example","server_port":8388,"password":"k","method":"chacha20-ietf-poly1305",
          "mode":"tcp_and_udp","timeout":300,"local_address":"127.0.0.1","local_port":1080})",
       "h.example", 8388, "chacha20-ietf-poly1305", "k"},
  };
  for (const Case& c : cases) {
    auto config = parseShadowsocksConfig(c.text);
    ASSERT_TRUE(config) << c.text << ": " << config.error().description;
    EXPECT_EQ(config->host, c.host) << c.text;
    EXPECT_EQ(config->port, c.port) << c.text;
    EXPECT_EQ(config->method, c.method) << c.text;
    EXPECT_EQ(config->password, c.password) << c.text;
  }
}

TEST(ShadowsocksConfig, SsRedirListensOnLoopbackOnly) {
  auto config = parseShadowsocksConfig("ss://YWVzLTI1Ni1nY206cHc@10.0.0.1:8388");
  ASSERT_TRUE(config);
  const auto json = nlohmann::json::parse(config->toSsRedirJson(12345));
  EXPECT_EQ(json["local_address"], "127.0.0.1");
  EXPECT_EQ(json["local_port"], 12345);
  EXPECT_FALSE(json.contains("plugin"));
}

}  // namespace
}  // namespace corvane::daemon::engines::shadowsocks
