// The backend's public face: the link table and announcements over HTTPS with its own CA,
// the domain source, IP echo, captive probe, and the TLS material kept across restarts.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <sstream>

#include "backend/support/backend_calls.h"
#include "api/support/backend_suite.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

std::string readFile(const fs::path& file) {
  std::ifstream in(file);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

std::string trimmed(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
  return text;
}

class BackendPublicTest : public BackendSuite<> {
 protected:
  // The plain backend: no demo account, no demo catalogue.
  static void SetUpTestSuite() { start(BackendLaunch()); }
};

TEST_F(BackendPublicTest, ReadyLineNamesTheCaItPrinted) {
  ASSERT_GT(backend_->httpsPort(), 0);
  ASSERT_GT(backend_->httpPort(), 0);
  ASSERT_GT(backend_->testPort(), 0);
  EXPECT_EQ(backend_->startupLines().front(), "CA certificate: " + backend_->caFile());
  EXPECT_EQ(fs::path(backend_->caFile()), backend_->dataDir() / "tls" / "ca.pem");
}

TEST_F(BackendPublicTest, LinkTableLeadsToThePlainHttpApi) {
  auto https = backend_->httpsClient();
  const auto links = https->Get("/app-api-v1/get-links");
  ASSERT_TRUE(links) << httplib::to_string(links.error());
  ASSERT_EQ(links->status, 200);
  const auto table = nlohmann::json::parse(links->body);
  for (const char* key :
       {"about_us_link", "get_support_link", "email_link", "whatsapp_link", "domain_link_1", "domain_link_2"}) {
    ASSERT_TRUE(table.contains(key) && table[key].is_string()) << key;
  }
  EXPECT_NE(table["email_link"].get<std::string>().find('@'), std::string::npos);

  // Both domain sources answer the HTTP API's host:port as plain text.
  const std::string httpsSource = table["domain_link_1"];
  const std::string httpSource = table["domain_link_2"];
  const std::string httpsPrefix = "https://" + backend_->apiHost();
  const std::string httpPrefix = "http://" + backend_->domain();
  ASSERT_EQ(httpsSource.rfind(httpsPrefix, 0), 0u) << httpsSource;
  ASSERT_EQ(httpSource.rfind(httpPrefix, 0), 0u) << httpSource;
  const auto viaHttps = https->Get(httpsSource.substr(httpsPrefix.size()).c_str());
  ASSERT_TRUE(viaHttps);
  EXPECT_EQ(trimmed(viaHttps->body), backend_->domain());
  auto http = backend_->httpClient();
  const auto viaHttp = http.Get(httpSource.substr(httpPrefix.size()).c_str());
  ASSERT_TRUE(viaHttp);
  EXPECT_EQ(trimmed(viaHttp->body), backend_->domain());
}

TEST_F(BackendPublicTest, AnnouncementsAreTwoTexts) {
  auto https = backend_->httpsClient();
  const auto res = https->Get("/app-api-v1/announcement-info");
  ASSERT_TRUE(res);
  const auto body = nlohmann::json::parse(res->body);
  EXPECT_TRUE(body["announcement_one"].is_string());
  EXPECT_TRUE(body["announcement_two"].is_string());
}

TEST_F(BackendPublicTest, CertificateVerifiesOnlyForLoopbackNames) {
  struct Case {
    const char* host;
    bool verifies;
  };
  for (const Case c : {Case{"127.0.0.1", true}, Case{"localhost", true}, Case{"wrong.corvane.test", false}}) {
    auto https = backend_->httpsClient(c.host);
    const auto res = https->Get("/app-api-v1/get-links");
    EXPECT_EQ(static_cast<bool>(res), c.verifies) << c.host;
    if (!c.verifies && !res) {
      EXPECT_EQ(res.error(), httplib::Error::SSLServerVerification) << c.host;
    }
  }
  // Without the backend's CA the system store does not know it.
  httplib::SSLClient untrusted("127.0.0.1", backend_->httpsPort());
  untrusted.set_ca_cert_path("/nonexistent-ca.pem");
  untrusted.enable_server_certificate_verification(true);
  EXPECT_FALSE(untrusted.Get("/app-api-v1/get-links"));
}

TEST_F(BackendPublicTest, IpEchoAndCaptiveProbe) {
  auto http = backend_->httpClient();
  const auto echo = getJson(http, "/ip?format=json");
  EXPECT_EQ(echo.status, 200);
  EXPECT_EQ(echo.body, (nlohmann::json{{"ip", "127.0.0.1"}}));
  auto https = backend_->httpsClient();
  const auto secureEcho = https->Get("/ip?format=json");
  ASSERT_TRUE(secureEcho);
  EXPECT_EQ(nlohmann::json::parse(secureEcho->body)["ip"], "127.0.0.1");

  const auto probe = http.Get("/hotspot-detect.html");
  ASSERT_TRUE(probe);
  EXPECT_EQ(probe->status, 200);
  EXPECT_NE(probe->body.find("Success"), std::string::npos);
}

TEST(BackendTlsMaterialTest, IsPrivateAndReusedAcrossRestarts) {
  char pattern[] = "/tmp/corvane-backend-keep-XXXXXX";
  ASSERT_TRUE(mkdtemp(pattern));
  const fs::path data = fs::path(pattern) / "data";
  BackendLaunch launch;
  launch.dataDir = data;
  std::string firstCa;
  {
    BackendProcess first(launch);
    firstCa = readFile(first.caFile());
    ASSERT_NE(firstCa.find("BEGIN CERTIFICATE"), std::string::npos);
    EXPECT_EQ(first.stop(), 0) << "a SIGTERM stop is a clean exit";
  }
  struct stat st {};
  for (const char* file : {"tls/ca.key", "tls/server.key", "backend.sqlite3"}) {
    ASSERT_EQ(stat((data / file).c_str(), &st), 0) << file;
    EXPECT_EQ(st.st_mode & 0777, 0600u) << file;
  }
  ASSERT_EQ(stat((data / "tls").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);

  BackendProcess second(launch);
  EXPECT_EQ(readFile(second.caFile()), firstCa);
  auto https = second.httpsClient();
  EXPECT_TRUE(https->Get("/app-api-v1/get-links"));
  second.stop();
  fs::remove_all(pattern);
}

}  // namespace
}  // namespace corvane::test
