// A backend started with --catalogue hands out the servers of the file, WireGuard answers
// built from the file's key and endpoint, and the client keys a test needs to provision its
// own WireGuard server; with --api-tls the API answers over HTTPS too.
#include <gtest/gtest.h>
#include <sodium.h>

#include <fstream>
#include <regex>

#include "api/support/backend_process.h"
#include "backend/support/backend_calls.h"
#include "backend/support/raw_client.h"

namespace corvane::test {
namespace {

using nlohmann::json;

constexpr const char* kServerKey = "HIgo9xNzJMWLKASShiTqIybxZ0U3wGLiUeJ1PKf8ykw=";

std::filesystem::path writeCatalogue(const json& catalogue) {
  char pattern[] = "/tmp/corvane-catalogue-XXXXXX";
  if (!mkdtemp(pattern)) return {};
  const auto file = std::filesystem::path(pattern) / "lab.json";
  std::ofstream(file) << catalogue.dump(2);
  return file;
}

json labCatalogue() {
  return {{"servers",
           {{{"vpn_server_id", 1}, {"ip_id", 10}, {"type", 5}, {"ipName", "Lab WG"}, {"countryCode", "DE"},
             {"countryName", "Germany"}, {"ip", "10.99.0.1"},
             {"wireguard", {{"public_key", kServerKey}, {"endpoint", "10.99.0.1:51999"}, {"dns", "10.99.0.53"}}}},
            {{"vpn_server_id", 2}, {"ip_id", 11}, {"type", 1}, {"ipName", "Lab OpenVPN"}, {"countryCode", "NL"},
             {"countryName", "Netherlands"}, {"ip", "10.99.1.1"}, {"config", "client\ndev tun\nremote 10.99.1.1 1194\n"}}}}};
}

std::string line(const std::string& config, const std::string& key) {
  std::smatch m;
  return std::regex_search(config, m, std::regex("(^|\\n)" + key + " = ([^\\n]*)")) ? m[2].str() : std::string();
}

std::string publicKeyOf(const std::string& privateKeyBase64) {
  unsigned char secret[32];
  unsigned char pub[32];
  size_t n = 0;
  if (sodium_base642bin(secret, sizeof secret, privateKeyBase64.data(), privateKeyBase64.size(), nullptr, &n, nullptr,
                        sodium_base64_VARIANT_ORIGINAL) != 0 || n != 32) {
    return {};
  }
  crypto_scalarmult_base(pub, secret);
  char out[sodium_base64_ENCODED_LEN(32, sodium_base64_VARIANT_ORIGINAL)];
  sodium_bin2base64(out, sizeof out, pub, sizeof pub, sodium_base64_VARIANT_ORIGINAL);
  return out;
}

TEST(BackendCatalogueFileTest, ServesTheFileAndProvisionsWireGuardPeers) {
  const auto file = writeCatalogue(labCatalogue());
  BackendLaunch launch;
  launch.demo = true;
  launch.extraArgs = {"--catalogue", file.string(), "--api-tls"};
  BackendProcess backend(launch);

  // Over the TLS API: the login carries the two servers of the file.
  auto https = backend.httpsClient();
  const auto login = https->Post("/app-api-v1/login", loginBody("demo@corvane.test", "corvane-demo-2026").dump(),
                                 "application/json");
  ASSERT_TRUE(login && login->status == 200);
  const json user = json::parse(login->body);
  ASSERT_EQ(user["ip_bundle"].size(), 2u);
  EXPECT_EQ(user["ip_bundle"][1]["ipName"], "Lab OpenVPN");
  const auto domain = https->Get("/domain");
  ASSERT_TRUE(domain);
  EXPECT_EQ(domain->body, "127.0.0.1:" + std::to_string(backend.httpsPort()) + "\n") << "the domain names the TLS API";

  auto http = backend.httpClient();
  std::vector<std::string> handedOut;
  for (int i = 0; i < 2; ++i) {
    const auto wg = postJson(http, "/app-api-v1/wireguard-user-con",
                             {{"username", "demo@corvane.test"}, {"pass", "corvane-demo-2026"}, {"vpnserverId", 1},
                              {"ipId", 10}, {"connection_type", 1}, {"response_type", "json"}});
    const std::string config = wg.body["result"];
    EXPECT_EQ(line(config, "PublicKey"), kServerKey);
    EXPECT_EQ(line(config, "Endpoint"), "10.99.0.1:51999");
    EXPECT_EQ(line(config, "DNS"), "10.99.0.53");
    handedOut.push_back(publicKeyOf(line(config, "PrivateKey")));
    ASSERT_FALSE(handedOut.back().empty());
    httplib::Client test("127.0.0.1", backend.testPort());
    const auto peers = test.Get("/test/wireguard-peers");
    ASSERT_TRUE(peers && peers->status == 200);
    const json list = json::parse(peers->body)["peers"];
    ASSERT_EQ(list.size(), 1u) << "one peer per account and server: the latest key";
    EXPECT_EQ(list[0]["public_key"], handedOut.back());
    EXPECT_EQ(list[0]["vpn_server_id"], 1);
    EXPECT_EQ(list[0]["ip_id"], 10);
    EXPECT_EQ(list[0]["allowed_ips"], line(config, "Address"));
  }
  EXPECT_NE(handedOut[0], handedOut[1]) << "a fresh key pair per request";
  std::filesystem::remove_all(file.parent_path());
}

TEST(BackendCatalogueFileTest, AFaultyFileStopsTheStartWithItsPath) {
  json catalogue = labCatalogue();
  catalogue["servers"][1]["type"] = 3;
  const auto file = writeCatalogue(catalogue);
  BackendLaunch launch;
  launch.extraArgs = {"--catalogue", file.string()};
  try {
    BackendProcess backend(launch);
    ADD_FAILURE() << "started with a faulty catalogue";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("lab.json: servers[1].type: expected 5"), std::string::npos) << e.what();
  }
  std::filesystem::remove_all(file.parent_path());
}

TEST(BackendCatalogueFileTest, LargeAnswersAreGzippedForClientsThatAsk) {
  BackendLaunch launch;
  launch.demo = true;
  BackendProcess backend(launch);
  const std::string body = loginBody("demo@corvane.test", "corvane-demo-2026").dump();
  auto ask = [&](const std::string& acceptEncoding) {
    const int fd = connectLoopback(backend.httpPort());
    sendAll(fd, "POST /app-api-v1/login HTTP/1.1\r\nHost: t\r\nConnection: close\r\nContent-Type: application/json\r\n" +
                    acceptEncoding + "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body);
    std::string answer = readSome(fd, std::chrono::seconds(10), 8 << 20);
    ::close(fd);
    return answer;
  };
  const std::string plain = ask("");
  const std::string gzipped = ask("Accept-Encoding: gzip, deflate\r\n");
  EXPECT_EQ(statusOf(gzipped), 200);
  EXPECT_EQ(plain.find("Content-Encoding"), std::string::npos);
  EXPECT_NE(gzipped.find("Content-Encoding: gzip"), std::string::npos);
  EXPECT_LT(gzipped.size() * 4, plain.size());
  // httplib's client asks for gzip and decodes it: the decoded login is the plain one.
  auto http = backend.httpClient();
  EXPECT_EQ(postJson(http, "/app-api-v1/login", json::parse(body)).body["ip_bundle"].size(), 72u);
}

}  // namespace
}  // namespace corvane::test
