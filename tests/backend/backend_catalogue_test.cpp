// The demo catalogue: enough servers, countries and protocols for the picker, each entry
// typed as the client decodes it, on loopback, with a configuration clients can decode.
#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <map>
#include <regex>
#include <set>

#include "backend/support/backend_calls.h"
#include "api/support/backend_process.h"

namespace corvane::test {
namespace {

using nlohmann::json;

std::optional<std::string> strictBase64(const std::string& text) {
  static const std::regex alphabet(R"(([A-Za-z0-9+/]{4})*([A-Za-z0-9+/]{2}==|[A-Za-z0-9+/]{3}=)?)");
  if (!std::regex_match(text, alphabet)) return std::nullopt;
  std::string out(text.size() / 4 * 3, '\0');
  const int n = EVP_DecodeBlock(reinterpret_cast<unsigned char*>(out.data()),
                                reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
  if (n < 0) return std::nullopt;
  out.resize(static_cast<size_t>(n) - std::count(text.begin(), text.end(), '='));
  return out;
}

json demoCatalogue(BackendProcess& backend) {
  auto http = backend.httpClient();
  const auto answer = postJson(http, "/app-api-v1/login", loginBody("demo@corvane.test", "corvane-demo-2026"));
  EXPECT_EQ(answer.body["response_code"], 1) << answer.text;
  return answer.body["ip_bundle"];
}

TEST(BackendCatalogueTest, DemoCatalogueShape) {
  BackendLaunch launch;
  launch.demo = true;
  BackendProcess backend(launch);
  const json servers = demoCatalogue(backend);
  ASSERT_GE(servers.size(), 60u);

  const char* intKeys[] = {"network", "type", "priority", "vpn_server_id", "connection_type", "ip_id",
                           "is_online_stream", "is_gaming", "is_free", "is_fast_server", "is_adblocker"};
  const char* textKeys[] = {"bundleName", "ipName", "ip", "note", "config", "typeTxt", "countryCode", "ssl_ip",
                            "site", "platform", "countryName", "ip_config", "server_city", "lng", "lat"};
  const std::regex loopback(R"(127\.0\.0\.(\d{1,3})(:\d{1,5})?)");
  std::set<std::string> countries;
  std::map<int, int> perType;
  std::set<std::pair<std::int64_t, std::int64_t>> wireGuardIds;
  for (const json& s : servers) {
    const std::string where = s.value("ipName", "?");
    for (const char* key : intKeys) ASSERT_TRUE(s[key].is_number_integer()) << where << " " << key;
    for (const char* key : textKeys) ASSERT_TRUE(s[key].is_string()) << where << " " << key;
    // Flags are numbers, never JSON booleans: the client's decoder refuses true/false.
    for (const char* flag : {"is_online_stream", "is_gaming", "is_free", "is_fast_server", "is_adblocker"}) {
      EXPECT_TRUE(s[flag] == 0 || s[flag] == 1) << where;
    }
    std::smatch m;
    const std::string ip = s["ip"];
    ASSERT_TRUE(std::regex_match(ip, m, loopback)) << ip;
    const int last = std::stoi(m[1].str());
    EXPECT_TRUE(last >= 2 && last <= 254) << ip;
    EXPECT_TRUE(std::regex_match(s["countryCode"].get<std::string>(), std::regex(R"([0-9]{1,4})"))) << where;
    std::stod(s["lat"].get<std::string>());
    std::stod(s["lng"].get<std::string>());
    countries.insert(s["countryCode"]);
    const int type = s["type"];
    ++perType[type];

    const auto config = strictBase64(s["config"]);
    ASSERT_TRUE(config) << where << ": config is not strict Base64";
    switch (type) {
      case 1:
      case 6:
        EXPECT_EQ(config->rfind("client\n", 0), 0u) << where;
        EXPECT_NE(config->find("\nremote 127.0.0."), std::string::npos) << where;
        EXPECT_NE(config->find("<ca>\n-----BEGIN CERTIFICATE-----"), std::string::npos) << where;
        break;
      case 4: {
        const json ss = json::parse(*config);
        EXPECT_TRUE(ss["server"].is_string() && ss["server_port"].is_number_integer()) << where;
        EXPECT_TRUE(ss["password"].is_string() && ss["method"].is_string()) << where;
        break;
      }
      case 7: {
        const json v2 = json::parse(*config);
        ASSERT_TRUE(v2["outbounds"].is_array()) << where;
        EXPECT_EQ(v2["outbounds"][0]["protocol"], "vmess") << where;
        EXPECT_EQ(v2["inbounds"][0]["listen"], "127.0.0.1") << "no listener beyond loopback";
        break;
      }
      case 5:
        EXPECT_NE(config->find("PublicKey = "), std::string::npos) << where;
        EXPECT_TRUE(wireGuardIds.insert({s["vpn_server_id"].get<std::int64_t>(), s["ip_id"].get<std::int64_t>()}).second) << "WireGuard ids must be unique";
        break;
      default:
        ADD_FAILURE() << where << " has unknown type " << type;
    }
  }
  EXPECT_GE(countries.size(), 20u);
  EXPECT_GT(perType[5], 0);
  EXPECT_GT(perType[1] + perType[6], 0);
  EXPECT_GT(perType[4], 0);
  EXPECT_GT(perType[7], 0);
  EXPECT_TRUE(countries.count("8")) << "codes are written as the flag table writes them";
}

TEST(BackendCatalogueTest, GeneratesTheRequestedNumberOfServersAndKeepsAccounts) {
  char pattern[] = "/tmp/corvane-backend-cat-XXXXXX";
  ASSERT_TRUE(mkdtemp(pattern));
  BackendLaunch launch;
  launch.demo = true;
  launch.dataDir = std::filesystem::path(pattern) / "data";
  {
    BackendProcess first(launch);
    auto http = first.httpClient();
    ASSERT_EQ(postJson(http, "/app-api-v1/sign-up",
                       signUpBody("kept-user", "password-123", "password-123", "kept@corvane.test"))
                  .body["status_code"],
              200);
  }
  launch.demoServers = 1000;
  BackendProcess second(launch);
  EXPECT_EQ(demoCatalogue(second).size(), 1000u);
  auto http = second.httpClient();
  EXPECT_EQ(postJson(http, "/app-api-v1/login", loginBody("kept-user", "password-123")).body["response_code"], 1)
      << "reseeding the catalogue leaves accounts alone";
  std::filesystem::remove_all(pattern);
}

}  // namespace
}  // namespace corvane::test
