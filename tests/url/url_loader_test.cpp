// UrlLoader against real servers on 127.0.0.1: what it reports for each kind of answer, what it
// puts on the wire, connection reuse, time limits and TLS verification.
#include <gtest/gtest.h>

#include <curl/curl.h>

#include <filesystem>
#include <thread>

#include "api/support/await_result.h"
#include "api/support/script_server.h"
#include "api/support/test_pki.h"
#include "platform/url/curl_url_loader.h"

namespace corvane::platform {
namespace {

using test::Awaited;
using test::ScriptedReply;
using test::ScriptServer;
using namespace std::chrono_literals;

Result<UrlResponse> load(UrlLoader& loader, UrlRequest request) {
  Awaited<Result<UrlResponse>> awaited;
  loader.dataTask(std::move(request), awaited.completion());
  auto result = awaited.get();
  if (!result) {
    return Error("test", -1, "no completion");
  }
  return std::move(*result);
}

CurlUrlLoader::Options noExtraCa() { return {}; }

// ---- answers -------------------------------------------------------------------------------

struct AnswerCase {
  const char* name;
  ScriptedReply reply;
  long status;
  std::optional<std::string> body;
  friend void PrintTo(const AnswerCase& c, std::ostream* out) { *out << c.name; }
};

class LoaderAnswers : public ::testing::TestWithParam<AnswerCase> {};

TEST_P(LoaderAnswers, ReportsStatusAndBodyAsSent) {
  ScriptServer server;
  server.answer("GET", "/x", GetParam().reply);
  CurlUrlLoader loader(noExtraCa(), Log::null());
  auto result = load(loader, UrlRequest::get(server.url("/x")));
  ASSERT_TRUE(result) << result.error().toString();
  EXPECT_EQ(result->status, GetParam().status);
  EXPECT_EQ(result->body, GetParam().body);
}

INSTANTIATE_TEST_SUITE_P(
    Table, LoaderAnswers,
    ::testing::Values(
        AnswerCase{"json", ScriptedReply::json(200, R"({"a":1})"), 200, R"({"a":1})"},
        AnswerCase{"no_content", ScriptedReply(204), 204, std::nullopt},
        AnswerCase{"empty_body_is_no_body", ScriptedReply::text(200, ""), 200, std::nullopt},
        AnswerCase{"server_error_keeps_body", ScriptedReply::text(500, "api.example\n"), 500, "api.example\n"}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- redirects and compression ------------------------------------------------------------

struct RedirectCase {
  const char* name;
  std::string method;
  int hops;         // answers 301 this many times before the page
  long status;      // what the caller sees
  CURLcode failure; // or the transport error it gets instead
  friend void PrintTo(const RedirectCase& c, std::ostream* out) { *out << c.name; }
};

class LoaderRedirects : public ::testing::TestWithParam<RedirectCase> {};

TEST_P(LoaderRedirects, GetsFollowAFewHopsAndPostsReportTheRedirect) {
  const RedirectCase& c = GetParam();
  ScriptServer server;
  for (int hop = 0; hop < c.hops; ++hop) {
    server.answer(c.method, "/hop" + std::to_string(hop),
                  ScriptedReply::text(301, "<html>moved</html>")
                      .withHeader("Location", server.url("/hop" + std::to_string(hop + 1))));
  }
  server.answer("GET", "/hop" + std::to_string(c.hops), ScriptedReply::text(200, "api.example:8080"));
  CurlUrlLoader loader(noExtraCa(), Log::null());
  UrlRequest request = c.method == "GET" ? UrlRequest::get(server.url("/hop0")) : UrlRequest::post(server.url("/hop0"), "{}");
  auto result = load(loader, std::move(request));
  if (c.failure != CURLE_OK) {
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error().code, c.failure) << result.error().description;
    return;
  }
  ASSERT_TRUE(result) << result.error().toString();
  EXPECT_EQ(result->status, c.status);
  EXPECT_EQ(result->body, c.status == 200 ? "api.example:8080" : "<html>moved</html>");
}

INSTANTIATE_TEST_SUITE_P(
    Table, LoaderRedirects,
    ::testing::Values(RedirectCase{"get_one_hop", "GET", 1, 200, CURLE_OK},
                      RedirectCase{"get_five_hops", "GET", 5, 200, CURLE_OK},
                      RedirectCase{"get_endless", "GET", 6, 0, CURLE_TOO_MANY_REDIRECTS},
                      RedirectCase{"post_not_followed", "POST", 1, 301, CURLE_OK}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(UrlLoader, AsksForCompressedAnswersAndHandsOverTheDecodedBody) {
  ScriptServer server;
  std::string catalogue = "[";
  for (int i = 0; i < 5000; ++i) catalogue += R"({"Name":"server )" + std::to_string(i) + R"(","Load":12},)";
  catalogue.back() = ']';
  server.answer("GET", "/servers", ScriptedReply::json(200, catalogue));
  CurlUrlLoader loader(noExtraCa(), Log::null());
  auto result = load(loader, UrlRequest::get(server.url("/servers")));
  ASSERT_TRUE(result) << result.error().toString();
  EXPECT_EQ(result->body, catalogue);
  const std::string accepted = server.requests().at(0).header("Accept-Encoding");
  EXPECT_NE(accepted.find("gzip"), std::string::npos) << accepted;
}

TEST(UrlLoader, PostPutsMethodHeadersAndBodyOnTheWireAndCompletesOffTheCallersThread) {
  ScriptServer server;
  server.answer("POST", "/p", ScriptedReply::json(200, "{}"));
  CurlUrlLoader loader(noExtraCa(), Log::null());

  Awaited<Result<UrlResponse>> awaited;
  loader.dataTask(UrlRequest::post(server.url("/p"), R"({"pass":"a)b"})"), awaited.completion());
  ASSERT_TRUE(awaited.get().value_or(Error()));
  EXPECT_NE(awaited.thread(), std::this_thread::get_id());

  ASSERT_TRUE(load(loader, UrlRequest::post(server.url("/p"), std::nullopt)));
  const auto requests = server.requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].method, "POST");
  EXPECT_EQ(requests[0].header("Content-Type"), "application/json");
  EXPECT_EQ(requests[0].header("Expect"), "");
  EXPECT_EQ(requests[0].body, R"({"pass":"a)b"})");
  EXPECT_EQ(requests[1].body, "");
  EXPECT_EQ(requests[1].header("Content-Length"), "0");
}

TEST(UrlLoader, AsyncTasksRunOnTheCallbackThread) {
  CurlUrlLoader loader(noExtraCa(), Log::null());
  Awaited<bool> awaited;
  loader.async([&, done = awaited.completion()] { done(loader.isCallbackThread()); });
  EXPECT_EQ(awaited.get(), true);
  EXPECT_NE(awaited.thread(), std::this_thread::get_id());
}

// ---- connections ---------------------------------------------------------------------------

TEST(UrlLoader, ReusesTheConnectionAndRecoversWhenTheServerDroppedIt) {
  ScriptServer server;
  server.answer("POST", "/p", ScriptedReply::json(200, "{}"));
  CurlUrlLoader loader(noExtraCa(), Log::null());

  ASSERT_TRUE(load(loader, UrlRequest::post(server.url("/p"), "{}")));
  ASSERT_TRUE(load(loader, UrlRequest::post(server.url("/p"), "{}")));
  server.restart();  // the idle keep-alive connection the loader holds is now dead
  auto afterRestart = load(loader, UrlRequest::post(server.url("/p"), "{}"));
  ASSERT_TRUE(afterRestart) << afterRestart.error().toString();
  EXPECT_EQ(afterRestart->status, 200);

  const auto requests = server.requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[0].remotePort, requests[1].remotePort) << "second request opened a new connection";
  EXPECT_NE(requests[1].remotePort, requests[2].remotePort);
}

// A request that asks for a fresh connection neither takes the kept-alive one nor leaves its
// own for the next request.
TEST(UrlLoader, AFreshConnectionIsNeitherTakenFromThePoolNorLeftInIt) {
  ScriptServer server;
  server.answer("GET", "/ip", ScriptedReply::json(200, "{}"));
  CurlUrlLoader loader(noExtraCa(), Log::null());
  auto fresh = UrlRequest::get(server.url("/ip"));
  fresh.freshConnection = true;
  for (const auto& request : {UrlRequest::get(server.url("/ip")), fresh, UrlRequest::get(server.url("/ip"))}) {
    ASSERT_TRUE(load(loader, request));
  }
  const auto requests = server.requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_NE(requests[0].remotePort, requests[1].remotePort);
  EXPECT_EQ(requests[0].remotePort, requests[2].remotePort) << "the pooled connection is kept for ordinary requests";
}

// ---- failures ------------------------------------------------------------------------------

struct FailureCase {
  const char* name;
  ScriptedReply reply;
  UrlRequest::Milliseconds total;
  UrlRequest::Milliseconds stall;
  long expectedCode;
  friend void PrintTo(const FailureCase& c, std::ostream* out) { *out << c.name; }
};

class LoaderFailures : public ::testing::TestWithParam<FailureCase> {};

TEST_P(LoaderFailures, EndBoundedWithATransportError) {
  ScriptServer server;
  server.answer("GET", "/slow", GetParam().reply);
  CurlUrlLoader::Options options;
  options.maxBodyBytes = 1024;
  CurlUrlLoader loader(options, Log::null());
  auto request = UrlRequest::get(server.url("/slow"));
  request.totalTimeout = GetParam().total;
  request.stallTimeout = GetParam().stall;
  auto result = load(loader, request);
  ASSERT_FALSE(result);
  EXPECT_EQ(result.error().domain, "URLError");
  EXPECT_EQ(result.error().code, GetParam().expectedCode) << result.error().description;
  EXPECT_FALSE(result.error().description.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, LoaderFailures,
    ::testing::Values(
        FailureCase{"slow_answer_trips_total_limit", ScriptedReply::json(200, "{}").after(10s),
                    300ms, 0ms, CURLE_OPERATION_TIMEDOUT},
        FailureCase{"stalled_body_trips_stall_limit", ScriptedReply::json(200, "{}").stalling(),
                    60s, 1s, CURLE_OPERATION_TIMEDOUT},
        FailureCase{"oversized_answer", ScriptedReply::text(200, std::string(4096, 'x')), 60s, 0ms,
                    CURLE_WRITE_ERROR}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(UrlLoader, RefusedConnectionAndForeignSchemeAreTransportErrors) {
  CurlUrlLoader loader(noExtraCa(), Log::null());
  int closedPort = 0;
  {
    ScriptServer gone;
    closedPort = gone.port();
  }
  auto refused = load(loader, UrlRequest::get("http://127.0.0.1:" + std::to_string(closedPort) + "/"));
  ASSERT_FALSE(refused);
  EXPECT_EQ(refused.error().code, CURLE_COULDNT_CONNECT);

  auto foreign = load(loader, UrlRequest::get("file:///etc/passwd"));
  ASSERT_FALSE(foreign);
  EXPECT_EQ(foreign.error().code, CURLE_UNSUPPORTED_PROTOCOL);
}

TEST(UrlLoader, ShutdownCompletesTasksStillInFlight) {
  ScriptServer server;
  server.answer("GET", "/slow", ScriptedReply::json(200, "{}").after(10s));
  Awaited<Result<UrlResponse>> awaited;
  {
    CurlUrlLoader loader(noExtraCa(), Log::null());
    loader.dataTask(UrlRequest::get(server.url("/slow")), awaited.completion());
    std::this_thread::sleep_for(100ms);  // let the request reach the server
  }
  auto result = awaited.get();
  ASSERT_TRUE(result.has_value());
  ASSERT_FALSE(*result);
  EXPECT_EQ(result->error().code, CURLE_ABORTED_BY_CALLBACK);
}

TEST(UrlLoader, ShutdownAlsoCompletesWhatCompletionsStartMeanwhile) {
  ScriptServer server;
  server.answer("GET", "/slow", ScriptedReply::json(200, "{}").after(10s));
  std::vector<std::string> completed;  // written on the loader's thread, read after it ended
  {
    CurlUrlLoader loader(noExtraCa(), Log::null());
    // A chain: each failed request starts the next step, as a retry or a follow-up would.
    loader.dataTask(UrlRequest::get(server.url("/slow")), [&](Result<UrlResponse> first) {
      completed.push_back(first ? "first ok" : "first failed");
      loader.dataTask(UrlRequest::get(server.url("/slow")), [&](Result<UrlResponse> second) {
        completed.push_back(second ? "second ok" : "second failed");
        loader.async([&] {
          loader.dataTask(UrlRequest::get(server.url("/slow")), [&](Result<UrlResponse> third) {
            completed.push_back(third ? "third ok" : "third failed");
          });
        });
      });
    });
    std::this_thread::sleep_for(100ms);  // let the first request reach the server
  }
  EXPECT_EQ(completed, (std::vector<std::string>{"first failed", "second failed", "third failed"}));
}

// ---- TLS -----------------------------------------------------------------------------------

class LoaderTls : public ::testing::Test {
 protected:
  void SetUp() override {
    directory_ = std::filesystem::temp_directory_path() /
                 ("corvane-tls-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(directory_);
    caFile_ = pki_.writeCaFile(directory_);
  }
  void TearDown() override { std::filesystem::remove_all(directory_); }

  Result<UrlResponse> fetchFrom(const test::LeafCertificate& leaf, bool trustExtraCa) {
    ScriptServer server(leaf);
    server.answer("GET", "/app-api-v1/get-links", ScriptedReply::json(200, "{}"));
    CurlUrlLoader::Options options;
    if (trustExtraCa) {
      options.extraCaFile = caFile_;
    }
    CurlUrlLoader loader(options, Log::null());
    return load(loader, UrlRequest::get(server.url("/app-api-v1/get-links")));
  }

  test::TestPki pki_;
  std::filesystem::path directory_;
  std::filesystem::path caFile_;
};

TEST_F(LoaderTls, TrustsACertificateFromTheExtraCa) {
  auto result = fetchFrom(pki_.issue({"IP:127.0.0.1"}), true);
  ASSERT_TRUE(result) << result.error().toString();
  EXPECT_EQ(result->status, 200);
}

TEST_F(LoaderTls, RefusesWrongHostUntrustedIssuerAndSelfSignedCertificates) {
  struct Case {
    const char* what;
    test::LeafCertificate leaf;
    bool trustExtraCa;
  };
  Case cases[] = {
      {"certificate for another host", pki_.issue({"DNS:api.other.example"}), true},
      {"CA not configured", pki_.issue({"IP:127.0.0.1"}), false},
      {"self-signed leaf", test::TestPki::selfSigned({"IP:127.0.0.1"}), true},
  };
  for (auto& c : cases) {
    auto result = fetchFrom(c.leaf, c.trustExtraCa);
    ASSERT_FALSE(result) << c.what;
    EXPECT_EQ(result.error().domain, "URLError") << c.what;
    EXPECT_EQ(result.error().code, CURLE_PEER_FAILED_VERIFICATION) << c.what << ": " << result.error().description;
  }
}

TEST_F(LoaderTls, UnreadableCaFileIsLoggedAndTrustsNothingExtra) {
  std::shared_ptr<CapturingSink> sink;
  CurlUrlLoader::Options options;
  options.extraCaFile = directory_ / "missing.pem";
  auto leaf = pki_.issue({"IP:127.0.0.1"});
  ScriptServer server(leaf);
  server.answer("GET", "/", ScriptedReply::json(200, "{}"));
  CurlUrlLoader loader(options, Log::capturing(sink));
  EXPECT_FALSE(load(loader, UrlRequest::get(server.url("/"))));
  ASSERT_EQ(sink->lines().size(), 1u);
  EXPECT_NE(sink->lines()[0].find("missing.pem"), std::string::npos);
}

TEST_F(LoaderTls, NeverFollowsFromHttpsDownToHttp) {
  auto leaf = pki_.issue({"IP:127.0.0.1"});
  ScriptServer plain;
  plain.answer("GET", "/page", ScriptedReply::text(200, "plain page"));
  ScriptServer secure(leaf);
  secure.answer("GET", "/moved", ScriptedReply::text(301, "moved").withHeader("Location", plain.url("/page")));
  CurlUrlLoader::Options options;
  options.extraCaFile = caFile_;
  CurlUrlLoader loader(options, Log::null());
  auto result = load(loader, UrlRequest::get(secure.url("/moved")));
  ASSERT_FALSE(result);
  EXPECT_EQ(result.error().code, CURLE_UNSUPPORTED_PROTOCOL) << result.error().description;
  EXPECT_TRUE(plain.requests().empty());
}

}  // namespace
}  // namespace corvane::platform
