// The --catalogue file: every fault is refused with the path of the bad value, and a good file
// becomes the IPBundle entries logins hand out.
#include "backend/catalogue_file.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

namespace corvane::backend {
namespace {

using nlohmann::json;

constexpr const char* kWgKey = "HIgo9xNzJMWLKASShiTqIybxZ0U3wGLiUeJ1PKf8ykw=";

json wireGuardServer() {
  return {{"vpn_server_id", 1}, {"ip_id", 10},           {"type", 5},
          {"ipName", "Lab WG"}, {"countryCode", "DE"},   {"countryName", "Germany"},
          {"ip", "10.99.0.1"},  {"wireguard", {{"public_key", kWgKey}, {"endpoint", "10.99.0.1:51820"}}}};
}

json openVpnServer() {
  return {{"vpn_server_id", 2}, {"ip_id", 11},          {"type", 1},
          {"ipName", "Lab OVPN"}, {"countryCode", "NL"}, {"countryName", "Netherlands"},
          {"ip", "10.99.1.1"},  {"config", "client\ndev tun\nremote 10.99.1.1 1194\n"}};
}

std::string failureOf(const json& catalogue) {
  try {
    parseCatalogue(catalogue.dump(), "lab.json");
  } catch (const CatalogueFileError& e) {
    return e.what();
  }
  return "accepted";
}

TEST(CatalogueFileTest, FaultsNameTheirPath) {
  auto with = [](auto change) {
    json servers = json::array({wireGuardServer(), openVpnServer()});
    change(servers);
    return json{{"servers", servers}};
  };
  const struct {
    const char* name;
    json catalogue;
    const char* message;
  } cases[] = {
      {"not an object", json::array(), "lab.json: $: expected an object"},
      {"no servers", json::object(), "lab.json: servers: expected a list"},
      {"empty list", json{{"servers", json::array()}}, "lab.json: servers: the list is empty"},
      {"unknown type", with([](json& s) { s[1]["type"] = 3; }), "lab.json: servers[1].type: expected 5"},
      {"type as text", with([](json& s) { s[1]["type"] = "1"; }), "lab.json: servers[1].type: expected an integer"},
      {"misspelt key", with([](json& s) { s[0]["countryNmae"] = "x"; }), "lab.json: servers[0].countryNmae: not a server key"},
      {"missing ip", with([](json& s) { s[1].erase("ip"); }), "lab.json: servers[1].ip: missing"},
      {"OpenVPN without config", with([](json& s) { s[1].erase("config"); }), "lab.json: servers[1].config: missing"},
      {"WireGuard without keys", with([](json& s) { s[0].erase("wireguard"); }), "lab.json: servers[0].wireguard: missing"},
      {"short public key", with([](json& s) { s[0]["wireguard"]["public_key"] = "abc="; }),
       "lab.json: servers[0].wireguard.public_key: expected the Base64 of 32 bytes, got `abc='"},
      // The last letter's spare bits set: the same bytes as kWgKey, but not a text the tunnel service reads.
      {"non-canonical public key", with([](json& s) { s[0]["wireguard"]["public_key"] = "HIgo9xNzJMWLKASShiTqIybxZ0U3wGLiUeJ1PKf8ykx="; }),
       "lab.json: servers[0].wireguard.public_key: expected the Base64 of 32 bytes"},
      {"wireguard on OpenVPN", with([](json& s) { s[1]["wireguard"] = json::object(); }),
       "lab.json: servers[1].wireguard: only WireGuard servers"},
      {"duplicate ids", with([](json& s) { s[1]["vpn_server_id"] = 1; s[1]["ip_id"] = 10; }),
       "lab.json: servers[1]: another server has the same vpn_server_id and ip_id"},
      {"bad country code", with([](json& s) { s[0]["countryCode"] = "DEU"; }), "lab.json: servers[0].countryCode"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(failureOf(c.catalogue).rfind(c.message, 0), 0u) << c.name << ": " << failureOf(c.catalogue);
  }
  EXPECT_EQ(failureOf(json{{"servers", json::array({wireGuardServer(), openVpnServer()})}}), "accepted");
}

// Text that is not JSON, including a number no JSON number type holds, is refused, not thrown.
TEST(CatalogueFileTest, TextThatIsNotJsonIsRefusedWithThePath) {
  for (const char* text : {"{\"servers\": [", "{\"servers\": 1e99999}", "111111000000000000e0000087695092744075491"}) {
    try {
      parseCatalogue(text, "lab.json");
      ADD_FAILURE() << "accepted: " << text;
    } catch (const CatalogueFileError& e) {
      EXPECT_EQ(std::string(e.what()).rfind("lab.json: not JSON", 0), 0u) << e.what();
    }
  }
}

TEST(CatalogueFileTest, GoodFileBecomesCompleteBundles) {
  const auto entries =
      parseCatalogue(json{{"servers", json::array({wireGuardServer(), openVpnServer()})}}.dump(), "lab.json");
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].wireGuardPublicKey, kWgKey);
  EXPECT_EQ(entries[0].wireGuardEndpoint, "10.99.0.1:51820");
  EXPECT_EQ(entries[0].bundle["typeTxt"], "WireGuard");
  // The configuration travels Base64-encoded, as clients decode it.
  EXPECT_EQ(entries[1].bundle["config"], "Y2xpZW50CmRldiB0dW4KcmVtb3RlIDEwLjk5LjEuMSAxMTk0Cg==");
  for (const char* key : {"bundleName", "note", "ssl_ip", "ip_config", "server_city", "lng", "lat"}) {
    EXPECT_TRUE(entries[1].bundle[key].is_string()) << key;
  }
  for (const char* key : {"network", "priority", "connection_type", "is_free", "is_gaming"}) {
    EXPECT_TRUE(entries[1].bundle[key].is_number_integer()) << key;
  }
}

}  // namespace
}  // namespace corvane::backend
