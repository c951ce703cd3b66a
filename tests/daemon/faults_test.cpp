// Faults around the engine and the daemon itself: the engine's program missing or ending at
// once, the daemon killed in the middle of connecting, two clients racing start and stop, a
// busy machine's processes ending under the scan for a crashed run's programs. Each ends in a
// known status with the reason, and with nothing left behind.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <thread>

#include "daemon/engines/orphan_programs.h"

#include "daemon/support/command.h"
#include "daemon/support/skip_or_fail.h"
#include "daemon/support/daemon_sandbox.h"
#include "daemon/support/tunnel_requests.h"
#include "daemon/support/tunneld_client.h"
#include "daemon/support/wireguard_testbed.h"

namespace corvane::daemon::testing {
namespace {

using namespace std::chrono_literals;
using namespace platform::tunneld;

// A configuration whose server is on loopback where nothing answers: it never connects.
const char* kUnansweredConfig =
    "[Interface]\nPrivateKey = yAnz5TF+lXXJte14tji3zlMNq+hd2rYUIgJBgB3fBmk=\nAddress = 10.99.0.2/32\n"
    "[Peer]\nPublicKey = xTIBA5rboUvnH4htodjb6e697QjLERt1NAB4mZqp8Dg=\nAllowedIPs = 0.0.0.0/0\n"
    "Endpoint = 127.0.0.1:51999\nPersistentKeepalive = 1\n";

void expectNothingLeft(const std::string& netns, const std::string& interfaceName) {
  EXPECT_FALSE(runIn(netns, {"ip", "link", "show", interfaceName}).ok) << "interface left";
  auto rules = runIn(netns, {"ip", "rule"}).out;
  EXPECT_EQ(rules.find("32101"), std::string::npos) << rules;
  EXPECT_EQ(runIn(netns, {"nft", "list", "tables"}).out.find("corvane"), std::string::npos);
}

struct EngineFault {
  const char* what;
  const char* fakeProgram;  // content of a fake wireguard-go; nullptr: none at all
  ErrorCode code;
  const char* messagePart;
};

class EngineFaults : public ::testing::TestWithParam<EngineFault> {};

TEST_P(EngineFaults, EndDisconnectedWithTheReason) {
  char folder[] = "/tmp/corvane-programs-XXXXXX";
  ASSERT_TRUE(mkdtemp(folder));
  if (GetParam().fakeProgram) {
    std::ofstream((std::string(folder) + "/wireguard-go")) << GetParam().fakeProgram;
    chmod((std::string(folder) + "/wireguard-go").c_str(), 0755);
  }
  std::string why;
  // These faults are wireguard-go's, also where the kernel has WireGuard.
  auto box = DaemonSandbox::create({std::string("CORVANE_TUNNELD_PROGRAMS=") + folder, "CORVANE_WIREGUARD=userspace"}, &why);
  if (!box) CORVANE_SKIP_OR_FAIL(why);
  TunneldClient client;
  ASSERT_TRUE(client.connect(box->socketPath()));
  ASSERT_TRUE(client.call(request(Op::subscribe)));
  auto started = client.call(startProfile(kUnansweredConfig));
  ASSERT_TRUE(started && started->ok());
  auto ended = client.waitForStatus([](const TunnelStatus& s) { return s.status == kStatusDisconnected && s.lastError; }, 10s);
  ASSERT_TRUE(ended) << GetParam().what << "\n" << box->log();
  EXPECT_EQ(ended->lastError->code, GetParam().code) << ended->lastError->message;
  EXPECT_NE(ended->lastError->message.find(GetParam().messagePart), std::string::npos) << ended->lastError->message;
  EXPECT_FALSE(ended->lastError->blocking);
  expectNothingLeft(box->netns().name(), box->interfaceName());
  std::filesystem::remove_all(folder);
}

INSTANTIATE_TEST_SUITE_P(
    Programs, EngineFaults,
    ::testing::Values(EngineFault{"program missing", nullptr, ErrorCode::engineMissing, "wireguard-go cannot be run"},
                      EngineFault{"program exits at once", "#!/bin/sh\nexit 3\n", ErrorCode::engineFailed, "exit code 3"}));

TEST(Faults, TwoClientsRacingStartAndStopLeaveOneConsistentEnd) {
  if (!haveProgram("wireguard-go")) GTEST_SKIP() << "needs wireguard-go";
  std::string why;
  auto box = DaemonSandbox::create({}, &why);
  if (!box) CORVANE_SKIP_OR_FAIL(why);
  auto race = [&](bool startFirst) {
    TunneldClient client;
    if (!client.connect(box->socketPath())) return false;
    for (int i = 0; i < 12; ++i) {
      bool doStart = (i % 2 == 0) == startFirst;
      auto answer = client.call(doStart ? startProfile(kUnansweredConfig) : request(Op::stop), 20s);
      if (!answer || !answer->ok()) return false;
    }
    return true;
  };
  bool a = false, b = false;
  std::thread first([&] { a = race(true); });
  std::thread second([&] { b = race(false); });
  first.join();
  second.join();
  EXPECT_TRUE(a && b) << box->log();
  TunneldClient client;
  ASSERT_TRUE(client.connect(box->socketPath()));
  ASSERT_TRUE(client.call(request(Op::subscribe)));
  ASSERT_TRUE(client.call(request(Op::stop)));
  auto status = client.call(request(Op::status));
  ASSERT_TRUE(status && status->status);
  EXPECT_EQ(status->status->status, kStatusDisconnected);
  expectNothingLeft(box->netns().name(), box->interfaceName());
  EXPECT_EQ(runIn(box->netns().name(), {"pgrep", "-f", "wireguard-go -f " + box->interfaceName()}).out, "");
}

TEST(Faults, ADaemonKilledMidConnectIsCleanedUpAndResumedWhenTheKillSwitchIsOn) {
  std::string why;
  auto bed = WireGuardTestbed::create(&why);
  if (!bed) CORVANE_SKIP_OR_FAIL(why);
  ASSERT_TRUE(bed->startDaemon());
  {
    TunneldClient client;
    ASSERT_TRUE(client.connect(bed->socketPath()));
    ASSERT_TRUE(client.call(saveKillSwitch(true, std::nullopt)));
    ASSERT_TRUE(client.call(startProfile(bed->clientConfig())));
  }
  bed->stopDaemon(SIGKILL);
  if (pid_t engine = bed->engineProcess()) kill(engine, SIGKILL);
  ASSERT_TRUE(bed->startDaemon());
  TunneldClient client;
  ASSERT_TRUE(client.connect(bed->socketPath()));
  ASSERT_TRUE(client.call(request(Op::subscribe)));
  ASSERT_TRUE(client.waitForStatus(kStatusConnected, 30s)) << bed->daemonLog();
  EXPECT_EQ(runIn(bed->client().name(), {"curl", "-s", "--max-time", "5", "http://10.77.0.1:8080/ip"}).out, "10.77.0.2");
  ASSERT_TRUE(client.call(request(Op::stop)));
  ASSERT_TRUE(client.waitForStatus(kStatusDisconnected, 10s));
  expectNothingLeft(bed->client().name(), bed->clientInterface());
  EXPECT_EQ(run({"cat", bed->client().resolvConfPath()}).out, WireGuardTestbed::kResolvConf);
}

// Runs `words` with its output to /dev/null (so no leftover holds the test's pipes).
pid_t spawnProgram(const std::vector<std::string>& words) {
  std::vector<char*> argv;
  for (const auto& word : words) argv.push_back(const_cast<char*>(word.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  for (int fd : {1, 2}) posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const bool started = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0;
  posix_spawn_file_actions_destroy(&actions);
  return started ? pid : -1;
}

// A crashed run's programs are found by an argument inside its folder, in /proc, while the
// machine's other processes come and go: one that ends between the scan's open and read of
// its command line is passed over (it used to throw out of the daemon's start). The orphan is
// killed; a program naming a folder that merely shares the prefix is not.
TEST(Faults, TheOrphanScanOutlivesProcessesEndingUnderItAndKillsOnlyTheRunsPrograms) {
  char pattern[] = "/tmp/corvane-orphans-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string folder = pattern, other = folder + "-other";
  std::filesystem::create_directory(other);
  for (const auto& dir : {folder, other}) std::ofstream(dir + "/openvpn.conf") << "client\n";
  // Like an engine's program: one process, its configuration file an argument.
  const pid_t orphan = spawnProgram({"tail", "-f", folder + "/openvpn.conf"});
  const pid_t bystander = spawnProgram({"tail", "-f", other + "/openvpn.conf"});
  ASSERT_GT(orphan, 0);
  ASSERT_GT(bystander, 0);
  std::atomic<bool> churning{true};
  std::vector<std::thread> churn;
  for (int i = 0; i < 2; ++i) {
    churn.emplace_back([&churning] {
      // Several at a time, so that every scan meets some of them ending.
      for (int round = 0; round < 50000 && churning; ++round) {
        pid_t children[8];
        for (auto& child : children) {
          child = fork();
          if (child == 0) _exit(0);
        }
        for (auto child : children) {
          if (child > 0) waitpid(child, nullptr, 0);
        }
      }
    });
  }
  int killed = 0;
  std::string thrown;
  for (int scan = 0; scan < 300 && thrown.empty(); ++scan) {
    try {
      killed += engines::killProgramsUsing(folder);
    } catch (const std::exception& e) {
      thrown = e.what();
    }
  }
  churning = false;
  for (auto& thread : churn) thread.join();
  EXPECT_EQ(thrown, "");
  EXPECT_GE(killed, 1);
  int status = 0;
  ASSERT_EQ(waitpid(orphan, &status, 0), orphan);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
  EXPECT_EQ(waitpid(bystander, &status, WNOHANG), 0) << "a program of another folder was killed";
  kill(bystander, SIGKILL);
  waitpid(bystander, &status, 0);
  std::filesystem::remove_all(folder);
  std::filesystem::remove_all(other);
}

}  // namespace
}  // namespace corvane::daemon::testing
