// corvanectl as a user runs it, against the reference backend: exit codes, --json, and
// passwords that arrive on standard input only.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "api/support/backend_suite.h"
#include "corvane/build_config.h"

namespace corvane::cli {
namespace {

struct CtlRun {
  int exitCode;
  std::string out;
};

class CorvanectlTest : public test::BackendSuite<> {
 protected:
  void SetUp() override {
    home_ = std::filesystem::temp_directory_path() /
            ("corvanectl-test-" + std::to_string(::getpid()));
    std::filesystem::create_directories(home_);
  }
  void TearDown() override { std::filesystem::remove_all(home_); }

  // Runs corvanectl with `args`, feeding `input` on stdin from a file (so no secret is ever
  // part of a command line), and returns its exit code and stdout.
  CtlRun run(const std::string& args, const std::string& input = "") {
    const auto inputFile = home_ / "stdin";
    std::ofstream(inputFile) << input;
    const std::string command = "CORVANE_HOME='" + home_.string() + "' CORVANE_API_HOST=" +
                                backend_->apiHost() + " CORVANE_CA_FILE='" + backend_->caFile() +
                                "' " + build::kBinaryDir + "/corvanectl " + args + " < '" +
                                inputFile.string() + "' 2>/dev/null";
    FILE* pipe = ::popen(command.c_str(), "r");
    std::string out;
    std::array<char, 4096> buffer{};
    while (std::fgets(buffer.data(), buffer.size(), pipe) != nullptr) out += buffer.data();
    const int status = ::pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
  }

  std::filesystem::path home_;
};

TEST_F(CorvanectlTest, MainRoadWithJsonAndExitCodes) {
  auto start = run("start --json");
  ASSERT_EQ(start.exitCode, 0) << start.out;
  EXPECT_EQ(nlohmann::json::parse(start.out)["root"], "login");

  EXPECT_EQ(run("devices").exitCode, 1);  // not signed in yet
  EXPECT_EQ(run("login --email demo@corvane.test --password-stdin", "wrong\n").exitCode, 1);
  EXPECT_EQ(run("login --email demo@corvane.test --password-stdin", "").exitCode, 2);
  auto login = run("login --email demo@corvane.test --password-stdin --json", "corvane-demo-2026\n");
  ASSERT_EQ(login.exitCode, 0) << login.out;
  EXPECT_EQ(nlohmann::json::parse(login.out)["loggedIn"], true);

  auto servers = run("servers --protocol openvpn --json");
  ASSERT_EQ(servers.exitCode, 0);
  const auto listed = nlohmann::json::parse(servers.out);
  EXPECT_EQ(listed["protocol"], "OpenVPN");
  ASSERT_FALSE(listed["sections"].empty());
  EXPECT_EQ(run("servers --protocol ipsec").exitCode, 2);

  ASSERT_EQ(run("protocol openvpn").exitCode, 0);
  const std::string name = listed["sections"][0]["servers"][0]["ipName"];
  auto select = run("select '" + name + "' --json");
  ASSERT_EQ(select.exitCode, 0) << select.out;
  const auto stored = nlohmann::json::parse(select.out)["stored"];
  EXPECT_EQ(stored["ipName"], name);
  EXPECT_GT(stored["ConfigBytes"].get<int>(), 0);
  EXPECT_EQ(run("select 'No Such Server'").exitCode, 2);

  auto devices = run("devices --json");
  ASSERT_EQ(devices.exitCode, 0);
  EXPECT_FALSE(nlohmann::json::parse(devices.out)["devices"].empty());

  auto logout = run("logout --json");
  ASSERT_EQ(logout.exitCode, 0);
  EXPECT_EQ(nlohmann::json::parse(logout.out)["prefilledEmail"], "demo@corvane.test");
  EXPECT_EQ(run("devices").exitCode, 1);
}

}  // namespace
}  // namespace corvane::cli
