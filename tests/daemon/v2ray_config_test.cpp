#include "daemon/engines/v2ray/v2ray_config_parser.h"

#include <gtest/gtest.h>

namespace corvane::daemon::engines::v2ray {
namespace {

const std::string kOutbound =
    R"({"protocol":"vmess","settings":{"vnext":[{"address":"10.91.0.1","port":10086,"users":[{"id":"b831381d-6324-4d53-ad4f-8cda48b30811","alterId":0}]}]}})";

std::string withOutbound(const std::string& outbound) { return R"({"outbounds":[)" + outbound + "]}"; }
std::string withSection(const std::string& section) { return "{" + section + R"(,"outbounds":[)" + kOutbound + "]}"; }

struct Injection {
  const char* name;
  std::string text;
  const char* reason;
};

class V2rayInjection : public testing::TestWithParam<Injection> {};

TEST_P(V2rayInjection, IsRefusedWithItsReason) {
  const Injection& c = GetParam();
  auto config = parseV2rayConfig(c.text);
  ASSERT_FALSE(config) << c.name;
  EXPECT_NE(config.error().description.find(c.reason), std::string::npos)
      << c.name << ": " << config.error().description;
}

INSTANTIATE_TEST_SUITE_P(
    Corpus, V2rayInjection,
    testing::Values(
        Injection{"accessLog", withSection(R"("log":{"access":"/etc/cron.d/x"})"), "log.access: writes the log file"},
        Injection{"errorLog", withSection(R"("log":{"error":"/root/.profile","loglevel":"debug"})"), "log.error"},
        Injection{"api", withSection(R"("api":{"tag":"api","services":["HandlerService"]})"), "api: opens a control"},
        Injection{"stats", withSection(R"("stats":{})"), "stats: opens"},
        Injection{"reverse", withSection(R"("reverse":{"portals":[]})"), "reverse: opens"},
        Injection{"listenAll", withSection(R"("inbounds":[{"listen":"0.0.0.0","port":1080,"protocol":"socks"}])"),
                  "inbounds[0].listen: listens off loopback"},
        Injection{"listenDefault", withSection(R"("inbounds":[{"port":1080,"protocol":"socks"}])"),
                  "listens on every address"},
        Injection{"listenV6", withSection(R"("inbounds":[{"listen":"::","port":1,"protocol":"http"}])"), "off loopback"},
        Injection{"certFile",
                  withOutbound(R"({"protocol":"vmess","streamSettings":{"security":"tls","tlsSettings":{"certificates":[{"certificateFile":"/etc/ssl/k"}]}}})"),
                  "outbounds[0].streamSettings.tlsSettings.certificates[0].certificateFile: names a file"},
        Injection{"keyFile", withOutbound(R"({"protocol":"trojan","streamSettings":{"tlsSettings":{"certificates":[{"keyFile":"/k"}]}}})"),
                  "names a file"},
        Injection{"domainSocket", withOutbound(R"({"protocol":"vmess","streamSettings":{"network":"domainsocket"}})"),
                  "domain socket"},
        Injection{"dsSettings", withOutbound(R"({"protocol":"vmess","streamSettings":{"dsSettings":{"path":"/x"}}})"),
                  "domain socket"},
        Injection{"insecure", withOutbound(R"({"protocol":"vmess","streamSettings":{"tlsSettings":{"allowInsecure":true}}})"),
                  "turns certificate checks off"},
        Injection{"extRules", withSection(R"("routing":{"rules":[{"type":"field","domain":["ext:/etc/passwd:x"],"outboundTag":"a"}]})"),
                  "routing.rules[0].domain[0]: reads the rule file"},
        Injection{"unknownProtocol", withOutbound(R"({"protocol":"loopback"})"), "outbound protocol 'loopback'"},
        // Found by fuzzing: the service writes its mark into streamSettings.sockopt.
        Injection{"streamSettingsText", withOutbound(R"({"protocol":"vmess","streamSettings":"tcp"})"),
                  "outbounds[0].streamSettings: must be an object"},
        Injection{"sockoptText", withOutbound(R"({"protocol":"vmess","streamSettings":{"sockopt":1}})"), "must be an object"},
        Injection{"sendThrough", withOutbound(R"({"protocol":"freedom","sendThrough":"0.0.0.0"})"), "source address"},
        Injection{"unknownKey", withOutbound(R"({"protocol":"freedom","exec":"/bin/sh"})"), "outbounds[0].exec"},
        Injection{"transport", withSection(R"("transport":{"dsSettings":{}})"), "transport: is not an accepted section"},
        Injection{"oldForm", R"({"outbound":{"protocol":"freedom"}})", "the old form"},
        Injection{"noOutbounds", R"({"log":{"loglevel":"warning"}})", "outbounds: is missing"},
        Injection{"deep", std::string(64, '[') + std::string(64, ']'), "deeper than 32"},
        Injection{"oversized", withSection(R"("policy":{"x":")" + std::string(300 * 1024, 'a') + R"("})"), "at most 262144"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(V2rayConfig, KeepsOutboundsAndWritesItsOwnLoopbackInbounds) {
  const std::string text = R"({"log":{"loglevel":"warning"}, // servers come with comments
    "inbounds":[{"listen":"127.0.0.1","port":10808,"protocol":"socks","settings":{"udp":true}}],
    "outbounds":[)" + kOutbound + R"(,{"protocol":"freedom","tag":"direct"}],
    "routing":{"rules":[{"type":"field","ip":["geoip:private"],"outboundTag":"direct"}]}})";
  auto config = parseV2rayConfig(text);
  ASSERT_TRUE(config) << config.error().description;
  ASSERT_EQ(config->servers.size(), 1u);
  EXPECT_EQ(config->servers[0].host, "10.91.0.1");
  EXPECT_EQ(config->servers[0].port, 10086);

  const auto written = nlohmann::json::parse(config->render({12001, 12002, 0x4356}));
  ASSERT_EQ(written["inbounds"].size(), 2u);
  for (const auto& inbound : written["inbounds"]) EXPECT_EQ(inbound["listen"], "127.0.0.1");
  EXPECT_EQ(written["inbounds"][0]["port"], 12001);
  EXPECT_EQ(written["inbounds"][0]["settings"]["followRedirect"], true);
  EXPECT_EQ(written["inbounds"][1]["port"], 12002);
  for (const auto& outbound : written["outbounds"]) EXPECT_EQ(outbound["streamSettings"]["sockopt"]["mark"], 0x4356);
  EXPECT_EQ(written["log"], nlohmann::json({{"loglevel", "warning"}}));
  EXPECT_FALSE(written.contains("api"));
  EXPECT_EQ(written["routing"]["rules"][0]["outboundTag"], "direct");
}

}  // namespace
}  // namespace corvane::daemon::engines::v2ray
