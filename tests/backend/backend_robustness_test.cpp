// Malformed requests get a 4xx with a JSON message; the backend keeps serving and its
// database stays intact, also under concurrent writers.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>

#include <atomic>
#include <thread>

#include "backend/support/backend_calls.h"
#include "corvane/build_config.h"
#include "api/support/backend_process.h"
#include "backend/support/raw_client.h"

namespace corvane::test {
namespace {

using nlohmann::json;

const char* const kPostPaths[] = {"login", "sign-up", "reset-password-token-request", "reset-password",
                                  "wireguard-user-con", "get-logged-in-devices", "pin-set-offline"};

TEST(BackendRobustnessTest, MalformedBodiesAreRefusedWithJsonMessages) {
  BackendLaunch launch;
  launch.demo = true;
  BackendProcess backend(launch);
  auto http = backend.httpClient();

  const struct {
    const char* name;
    std::string body;
    bool needsPassword = false;  // the reset-code request carries no password to get wrong
  } shapes[] = {
      {"empty body", ""},
      {"not JSON", "username=demo&pass=x"},
      {"truncated JSON", R"({"username": "demo@corvane.test", "pass": )"},
      {"JSON array", R"(["demo@corvane.test", "corvane-demo-2026"])"},
      {"JSON string", R"("demo")"},
      {"JSON null", "null"},
      {"empty object", "{}"},
      {"user name as number", R"({"username": 12, "pass": "x", "password": "x", "token": "1",
          "password_confirmation": "x", "contact_email": "a@b.cd", "vpnserverId": 1, "ipId": 1})"},
      {"password as object", R"({"username": "demo@corvane.test", "pass": {}, "password": {},
          "token": "1", "password_confirmation": "x", "contact_email": "a@b.cd", "vpnserverId": 1, "ipId": 1})",
       true},
      {"invalid UTF-8", "{\"username\": \"\xff\xfe\", \"pass\": \"x\"}"},
  };
  for (const char* path : kPostPaths) {
    for (const auto& shape : shapes) {
      if (shape.needsPassword && std::string(path) == "reset-password-token-request") continue;
      const auto answer = postRaw(http, std::string("/app-api-v1/") + path, shape.body);
      EXPECT_EQ(answer.status, 400) << path << ", " << shape.name << ": " << answer.text;
      ASSERT_TRUE(answer.body.is_object()) << path << ", " << shape.name;
      EXPECT_TRUE(answer.body["message"].is_string()) << path << ", " << shape.name;
    }
  }

  // Typed fields of the other operations.
  const struct {
    const char* path;
    json body;
  } wrongTypes[] = {
      {"login", [] { auto b = loginBody("demo@corvane.test", "corvane-demo-2026"); b["device_type"] = "2"; return b; }()},
      {"login", [] { auto b = loginBody("demo@corvane.test", "corvane-demo-2026"); b["udid"] = 7; return b; }()},
      {"sign-up", [] { auto b = signUpBody("x-user", "password-1", "password-1", "x@corvane.test"); b["country"] = 49; return b; }()},
      {"wireguard-user-con", {{"username", "demo@corvane.test"}, {"pass", "corvane-demo-2026"}, {"vpnserverId", "100"}, {"ipId", 5000}}},
      {"wireguard-user-con", {{"username", "demo@corvane.test"}, {"pass", "corvane-demo-2026"}, {"vpnserverId", 100.5}, {"ipId", 5000}}},
      {"reset-password-token-request", {{"username", "demo@corvane.test"}, {"verification_type", 2}}},
  };
  for (const auto& c : wrongTypes) {
    const auto answer = postJson(http, std::string("/app-api-v1/") + c.path, c.body);
    EXPECT_EQ(answer.status, 400) << c.path << " " << c.body.dump();
    EXPECT_TRUE(answer.body["message"].is_string()) << c.path;
  }

  // A body beyond the limit is refused before it is parsed.
  const std::string huge = R"({"username": ")" + std::string(2 * 1024 * 1024, 'a') + R"(", "pass": "x"})";
  const auto tooLarge = postRaw(http, "/app-api-v1/login", huge);
  EXPECT_EQ(tooLarge.status, 413);
  EXPECT_TRUE(tooLarge.body.is_object() && tooLarge.body["message"].is_string()) << tooLarge.text;

  const auto unknown = getJson(http, "/app-api-v1/no-such-thing");
  EXPECT_EQ(unknown.status, 404);
  EXPECT_TRUE(unknown.body["message"].is_string());

  // Still alive, demo account unchanged, database sound.
  ASSERT_TRUE(backend.running()) << backend.stderrText();
  EXPECT_EQ(postJson(http, "/app-api-v1/login", loginBody("demo@corvane.test", "corvane-demo-2026")).body["response_code"], 1);
  EXPECT_EQ(backend.stop(), 0);
  EXPECT_EQ(integrityOf(backend.dataDir() / "backend.sqlite3"), "ok");
}

TEST(BackendRobustnessTest, ConcurrentSignUpsOfOneNameCreateOneAccount) {
  // The check below tries every loser's password from one address: more failures than the
  // per-address login limit allows.
  BackendLaunch launch;
  launch.extraArgs = {"--login-failures-per-address", "0"};
  BackendProcess backend(launch);
  constexpr int kThreads = 8;
  constexpr int kNames = 10;
  std::atomic<int> created[kNames] = {};
  std::atomic<int> refused[kNames] = {};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      auto http = backend.httpClient();
      for (int n = 0; n < kNames; ++n) {
        const std::string name = "race-" + std::to_string(n);
        // Each thread uses its own password, so the winner is visible afterwards.
        const std::string password = "password-of-" + std::to_string(t);
        const auto answer = postJson(http, "/app-api-v1/sign-up", signUpBody(name, password, password, name + "@corvane.test"));
        if (answer.body["status_code"] == 200) ++created[n];
        if (answer.body["status_code"] == 409) ++refused[n];
      }
    });
  }
  for (auto& t : threads) t.join();
  auto http = backend.httpClient();
  for (int n = 0; n < kNames; ++n) {
    EXPECT_EQ(created[n], 1) << n;
    EXPECT_EQ(refused[n], kThreads - 1) << n;
    int accepting = 0;
    for (int t = 0; t < kThreads; ++t) {
      const auto login = postJson(http, "/app-api-v1/login",
                                  loginBody("race-" + std::to_string(n), "password-of-" + std::to_string(t)));
      if (login.body["response_code"] == 1) ++accepting;
    }
    EXPECT_EQ(accepting, 1) << "exactly the winner's password signs in";
  }
  EXPECT_EQ(backend.stop(), 0);
  EXPECT_EQ(integrityOf(backend.dataDir() / "backend.sqlite3"), "ok");
}

TEST(BackendRobustnessTest, UsageErrorsExitWithTwoAndAnUnusablePortWithOne) {
  const std::string binary = std::string(corvane::build::kBinaryDir) + "/corvane-backend";
  EXPECT_EQ(WEXITSTATUS(std::system((binary + " --no-such-option >/dev/null 2>&1").c_str())), 2);
  EXPECT_EQ(WEXITSTATUS(std::system((binary + " --http-port 70000 >/dev/null 2>&1").c_str())), 2);
  EXPECT_EQ(WEXITSTATUS(std::system((binary + " --help >/dev/null 2>&1").c_str())), 0);

  // A port that is already taken is reported, not ignored.
  BackendProcess running;
  BackendLaunch clash;
  clash.extraArgs = {"--http-port", std::to_string(running.httpPort())};
  EXPECT_THROW(BackendProcess second(clash), std::runtime_error);
}

}  // namespace
}  // namespace corvane::test
