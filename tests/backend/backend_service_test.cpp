// Service operations on the reference backend: the signed-in devices list, signing a device
// out, and WireGuard configurations for catalogue servers.
#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <regex>

#include "backend/support/backend_calls.h"
#include "api/support/backend_suite.h"

namespace corvane::test {
namespace {

using nlohmann::json;

constexpr const char* kDemoUser = "demo@corvane.test";
constexpr const char* kDemoPassword = "corvane-demo-2026";

// Strict Base64 decode; nullopt on any bad character or length.
std::optional<std::string> base64Decode(const std::string& text) {
  if (text.size() % 4 != 0) return std::nullopt;
  std::string out(text.size() / 4 * 3, '\0');
  const int n = EVP_DecodeBlock(reinterpret_cast<unsigned char*>(out.data()),
                                reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
  if (n < 0) return std::nullopt;
  size_t padding = 0;
  if (!text.empty() && text.back() == '=') ++padding;
  if (text.size() > 1 && text[text.size() - 2] == '=') ++padding;
  out.resize(static_cast<size_t>(n) - padding);
  return out;
}

std::string lineValue(const std::string& config, const std::string& key) {
  std::smatch m;
  const std::regex pattern("(^|\\n)" + key + " = ([^\\n]*)");
  return std::regex_search(config, m, pattern) ? m[2].str() : std::string();
}

class BackendServiceTest : public BackendSuite<> {
 protected:
  JsonAnswer post(const std::string& path, const json& body) {
    auto http = backend_->httpClient();
    return postJson(http, "/app-api-v1/" + path, body);
  }
  // A fresh account for one test, so the device lists do not mix.
  void newAccount(const std::string& name) {
    ASSERT_EQ(post("sign-up", signUpBody(name, "password-123", "password-123", name + "@corvane.test")).body["status_code"],
              200);
  }
  std::vector<std::string> deviceIds(const std::string& name) {
    const auto answer = post("get-logged-in-devices", {{"username", name}, {"pass", "password-123"}, {"udid", "x"}});
    std::vector<std::string> ids;
    for (const auto& d : answer.body["data"]) ids.push_back(d["udid"]);
    return ids;
  }
};

TEST_F(BackendServiceTest, DevicesListEchoesWhatLoginsSent) {
  newAccount("devices-user");
  auto first = loginBody("devices-user", "password-123", "UDID-ONE");
  first["model"] = "arm64";
  first["osVersion"] = "12";
  ASSERT_EQ(post("login", first).body["response_code"], 1);
  ASSERT_EQ(post("login", loginBody("devices-user", "password-123", "UDID-TWO")).body["response_code"], 1);
  // A second login from the same device refreshes it rather than adding a row.
  ASSERT_EQ(post("login", first).body["response_code"], 1);

  const auto answer =
      post("get-logged-in-devices", {{"username", "devices-user"}, {"pass", "password-123"}, {"udid", "UDID-ONE"}});
  ASSERT_EQ(answer.status, 200);
  EXPECT_EQ(answer.body["status_code"], 200);
  EXPECT_TRUE(answer.body["message"].is_string());
  ASSERT_EQ(answer.body["data"].size(), 2u) << answer.text;
  const json& d = answer.body["data"][0];
  for (const char* key : {"id", "pinlist_id", "app_id", "device_type", "is_rooted_phone"}) {
    EXPECT_TRUE(d[key].is_number_integer()) << key;
  }
  for (const char* key : {"username", "password", "udid", "player_id", "vpn_app_version", "brand", "model", "os_name",
                          "os_version", "os_platform", "created_at"}) {
    EXPECT_TRUE(d[key].is_string()) << key;
  }
  EXPECT_EQ(d["udid"], "UDID-ONE");
  EXPECT_EQ(d["username"], "devices-user");
  EXPECT_EQ(d["model"], "arm64");
  EXPECT_EQ(d["os_version"], "12");
  EXPECT_EQ(d["os_name"], "iOS");
  EXPECT_EQ(d["vpn_app_version"], "0.1.0");
  EXPECT_EQ(d["device_type"], 2);
  EXPECT_EQ(d["player_id"], "No_One_Signal");
  EXPECT_EQ(d["password"], "") << "the list never carries a password";
  EXPECT_TRUE(std::regex_match(d["created_at"].get<std::string>(),
                               std::regex(R"(\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2})")));

  const auto refused =
      post("get-logged-in-devices", {{"username", "devices-user"}, {"pass", "wrong-password"}, {"udid", "UDID-ONE"}});
  EXPECT_EQ(refused.body["status_code"], 401);
  EXPECT_TRUE(refused.body["data"].empty());
}

TEST_F(BackendServiceTest, PinSetOfflineSignsOutOneDevice) {
  newAccount("offline-user");
  for (const char* udid : {"UDID-A", "UDID-B", "UDID-C"}) {
    ASSERT_EQ(post("login", loginBody("offline-user", "password-123", udid)).body["response_code"], 1);
  }
  // With a udid: that device. Without one (what log-out sends): the most recently active device.
  auto named = post("pin-set-offline", {{"username", "offline-user"}, {"pass", "password-123"}, {"udid", "UDID-A"}});
  EXPECT_EQ(named.body["status_code"], 200) << named.text;
  EXPECT_EQ(deviceIds("offline-user"), (std::vector<std::string>{"UDID-B", "UDID-C"}));
  auto latest = post("pin-set-offline", {{"username", "offline-user"}, {"pass", "password-123"}});
  EXPECT_EQ(latest.body["status_code"], 200);
  EXPECT_EQ(deviceIds("offline-user"), (std::vector<std::string>{"UDID-B"}));

  EXPECT_EQ(post("pin-set-offline", {{"username", "offline-user"}, {"pass", "bad"}}).body["status_code"], 401);
  EXPECT_EQ(deviceIds("offline-user"), (std::vector<std::string>{"UDID-B"}));
  // Signing in again brings a device back.
  ASSERT_EQ(post("login", loginBody("offline-user", "password-123", "UDID-A")).body["response_code"], 1);
  EXPECT_EQ(deviceIds("offline-user"), (std::vector<std::string>{"UDID-A", "UDID-B"}));
}

TEST_F(BackendServiceTest, WireGuardConfigForACatalogueServer) {
  const auto user = post("login", loginBody(kDemoUser, kDemoPassword)).body;
  std::vector<json> wireGuard;
  for (const auto& server : user["ip_bundle"]) {
    if (server["type"] == 5) wireGuard.push_back(server);
  }
  ASSERT_GE(wireGuard.size(), 2u);
  const std::regex key(R"([A-Za-z0-9+/]{43}=)");
  std::set<std::string> privateKeys;
  for (const json& server : wireGuard) {
    const auto answer = post("wireguard-user-con", {{"username", kDemoUser},
                                                    {"pass", kDemoPassword},
                                                    {"vpnserverId", server["vpn_server_id"]},
                                                    {"ipId", server["ip_id"]},
                                                    {"connection_type", 1},
                                                    {"response_type", "json"}});
    ASSERT_TRUE(answer.body["result"].is_string()) << answer.text;
    const std::string config = answer.body["result"];
    EXPECT_EQ(config.rfind("[Interface]\n", 0), 0u) << config;
    EXPECT_NE(config.find("\n[Peer]\n"), std::string::npos);
    const std::string privateKey = lineValue(config, "PrivateKey");
    EXPECT_TRUE(std::regex_match(privateKey, key)) << privateKey;
    ASSERT_TRUE(base64Decode(privateKey));
    EXPECT_EQ(base64Decode(privateKey)->size(), 32u);
    EXPECT_TRUE(std::regex_match(lineValue(config, "PublicKey"), key));
    EXPECT_TRUE(std::regex_match(lineValue(config, "Address"), std::regex(R"(10\.66\.\d+\.\d+/32)")));
    EXPECT_FALSE(lineValue(config, "DNS").empty());
    EXPECT_EQ(lineValue(config, "AllowedIPs"), "0.0.0.0/0, ::/0");
    // The endpoint is the catalogue's ip, with WireGuard's port added when the ip has none.
    const std::string ip = server["ip"];
    EXPECT_EQ(lineValue(config, "Endpoint"), ip.find(':') == std::string::npos ? ip + ":51820" : ip);
    privateKeys.insert(privateKey);
  }
  EXPECT_EQ(privateKeys.size(), wireGuard.size()) << "every configuration gets a fresh key";
}

TEST_F(BackendServiceTest, WireGuardAnswersWithoutResultWhenThereIsNoConfiguration) {
  const auto user = post("login", loginBody(kDemoUser, kDemoPassword)).body;
  json openVpn, wireGuard;
  for (const auto& server : user["ip_bundle"]) {
    if (server["type"] == 1 && openVpn.is_null()) openVpn = server;
    if (server["type"] == 5 && wireGuard.is_null()) wireGuard = server;
  }
  auto request = [&](const json& server, const char* password, const char* responseType) {
    return post("wireguard-user-con", {{"username", kDemoUser},
                                       {"pass", password},
                                       {"vpnserverId", server["vpn_server_id"]},
                                       {"ipId", server["ip_id"]},
                                       {"connection_type", 0},
                                       {"response_type", responseType}});
  };
  const json unknown = {{"vpn_server_id", 999999}, {"ip_id", 999999}};
  const struct {
    const char* name;
    JsonAnswer answer;
  } noResult[] = {{"unknown server", request(unknown, kDemoPassword, "json")},
                  {"not a WireGuard server", request(openVpn, kDemoPassword, "json")},
                  {"wrong password", request(wireGuard, "wrong", "json")}};
  for (const auto& c : noResult) {
    EXPECT_EQ(c.answer.status, 200) << c.name;
    EXPECT_FALSE(c.answer.body.contains("result")) << c.name << ": " << c.answer.text;
    EXPECT_TRUE(c.answer.body["message"].is_string()) << c.name;
  }
  // Any response type other than "json" only acknowledges.
  EXPECT_EQ(request(wireGuard, kDemoPassword, "ack").body, (json{{"result", "success"}}));
}

}  // namespace
}  // namespace corvane::test
