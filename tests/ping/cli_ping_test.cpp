// corvanectl ping as a user runs it, inside a namespace of the test's own (loopback only):
// output, exit codes and the summary after Ctrl-C.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <nlohmann/json.hpp>

#include "corvane/build_config.h"
#include "ping/support/namespaces.h"

namespace corvane::ping {
namespace {

using testing::NetworkNamespace;

struct CliRun {
  int exitCode;
  std::string output;  // stdout and stderr
};

class CliPing : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!ns_.ok() || !ns_.openPingGroupRange()) {
      GTEST_SKIP() << "needs a network namespace (root and iproute2)";
    }
  }

  CliRun run(const std::string& arguments, const std::string& wrapper = "") {
    auto argv = testing::withWords({}, wrapper);
    const auto inside = ns_.exec();
    argv.insert(argv.end(), inside.begin(), inside.end());
    argv.push_back(std::string(build::kBinaryDir) + "/corvanectl");
    argv.push_back("ping");
    const auto run = testing::runCommand(testing::withWords(std::move(argv), arguments));
    return {run.exit.shellCode(), run.out + run.err};
  }

  NetworkNamespace ns_{"cli"};
};

TEST_F(CliPing, RepliesGiveLinesSummaryAndSuccess) {
  const CliRun r = run("127.0.0.1 -c 2 -i 0.05");
  EXPECT_EQ(r.exitCode, 0) << r.output;
  EXPECT_NE(r.output.find("PING 127.0.0.1 (127.0.0.1) 64(84) bytes of data."), std::string::npos);
  EXPECT_NE(r.output.find("84 bytes from 127.0.0.1: icmp_seq=0 ttl=64 time="), std::string::npos);
  EXPECT_NE(r.output.find("84 bytes from 127.0.0.1: icmp_seq=1 ttl=64 time="), std::string::npos);
  EXPECT_NE(r.output.find("2 packets transmitted, 2 received, 0% packet loss"), std::string::npos);
  EXPECT_NE(r.output.find("rtt min/avg/max/stddev = "), std::string::npos);
}

TEST_F(CliPing, JsonCarriesEveryResponseAndTheStatistics) {
  const CliRun r = run("localhost -c 3 -i 0.01 -s 16 -t 9 --json");
  ASSERT_EQ(r.exitCode, 0) << r.output;
  const auto doc = nlohmann::json::parse(r.output);
  EXPECT_EQ(doc["address"], "127.0.0.1");
  EXPECT_EQ(doc["packetsTransmitted"], 3);
  EXPECT_EQ(doc["packetsReceived"], 3);
  ASSERT_EQ(doc["responses"].size(), 3u);
  EXPECT_EQ(doc["responses"][2]["sequenceNumber"], 2);
  EXPECT_EQ(doc["responses"][0]["byteCount"], 44);
  EXPECT_TRUE(doc["responses"][0]["error"].is_null());
  EXPECT_LE(doc["roundtrip"]["minimum"].get<double>(), doc["roundtrip"]["maximum"].get<double>());
}

TEST_F(CliPing, ExitCodesForNoReplyUsageAndResolution) {
  ASSERT_TRUE(ns_.sysctl("net.ipv4.icmp_echo_ignore_all=1"));
  const struct {
    const char* arguments;
    int exitCode;
    const char* expected;
  } table[] = {
      {"127.0.0.1 -c 2 -W 0.1 -i 0.01", 1, "icmp_seq=1 responseTimeout"},
      {"10.9.9.9 -c 1", 1, "icmp_seq=0 requestError"},  // no route in the namespace
      {"127.0.0.1 -s 17", 2, "-s must be an even number of bytes from 16 to 65506, got 17"},
      {"127.0.0.1 -c 0", 2, "-c must be at least 1, got 0"},
      {"127.0.0.1 -t 300", 2, "-t must be from 1 to 255, got 300"},
      {"127.0.0.1 -W 0", 2, "-W must be more than 0 and at most 3600 seconds, got 0"},
      // Out of range once turned into durations: a flood and an instant time-out before.
      {"127.0.0.1 -c 1 -i 1e300", 2, "-i must be from 0 to 3600 seconds, got 1e+300"},
      {"127.0.0.1 -c 1 -W 1e300", 2, "-W must be more than 0 and at most 3600 seconds, got 1e+300"},
      {"127.0.0.1 -c 1 -i -1", 2, "-i must be from 0 to 3600 seconds, got -1"},
      {"", 2, "host is required"},
      // No route to any name server from here, so the lookup itself fails.
      {"no-such-host.invalid -c 1", 2, "cannot resolve `no-such-host.invalid'"},
  };
  for (const auto& row : table) {
    const CliRun r = run(row.arguments);
    EXPECT_EQ(r.exitCode, row.exitCode) << row.arguments << "\n" << r.output;
    EXPECT_NE(r.output.find(row.expected), std::string::npos) << row.arguments << "\n"
                                                              << r.output;
  }
}

TEST_F(CliPing, InterruptStopsAndPrintsTheSummary) {
  if (!testing::installed("timeout")) {
    GTEST_SKIP() << "needs coreutils timeout";
  }
  // The interrupt must come after the handler is installed: a sanitizer build on a busy machine
  // can take most of a second just to start, so give it two.
  const CliRun r = run("127.0.0.1 -i 0.05", "timeout --preserve-status -s INT 2 ");
  EXPECT_EQ(r.exitCode, 0) << r.output;
  EXPECT_NE(r.output.find("--- 127.0.0.1 ping statistics ---"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("0% packet loss"), std::string::npos) << r.output;
}

}  // namespace
}  // namespace corvane::ping
