// The kill switch from the command line, against a real engine crash: `killswitch on`, connect,
// the engine killed with -9; while the probe keeps the tunnel down, a capture on the client's
// outer interface sees nothing leave but the way to the WireGuard server (and the daemon's
// probe). `killswitch off` lifts the block at once, and a capture then does see a leak attempt
// (so the quiet capture proved something). With a probe answering 200 the tunnel comes back
// by itself after the next crash, and the user's disconnect still ends it.
#include <gtest/gtest.h>
#include <signal.h>

#include "daemon/support/command.h"
#include "daemon/support/packet_capture.h"
#include "daemon/support/skip_or_fail.h"
#include "daemon/support/tunnel_requests.h"
#include "daemon/support/tunneld_client.h"
#include "e2e/support/user_walk.h"

namespace corvane::e2e {
namespace {

using daemon::testing::runIn;
using namespace std::chrono_literals;

// Traffic that must not leave outside the tunnel: TCP over IPv4 and IPv6, and DNS.
void attemptLeaks(const std::string& netns) {
  (void)runIn(netns, {"curl", "-s", "--max-time", "1", "http://192.168.77.1:8082/"});
  (void)runIn(netns, {"curl", "-s", "--max-time", "1", "http://[fd77::1]:8082/"});
  (void)runIn(netns, {"env", "RES_OPTIONS=timeout:1 attempts:1", "getent", "ahostsv4", "leak.example"});
}

bool isAllowed(const std::string& line) {
  // Link-scope IPv6 control of the kernel's own (to ff02::) never leaves the link.
  if (line.find(" > ff02::") != std::string::npos) return true;
  return line.find("192.168.77.1.51820") != std::string::npos || line.find("192.168.77.1.80:") != std::string::npos ||
         line.find("192.168.77.1.80 ") != std::string::npos;
}

TEST(CorvanectlKillSwitch, AKilledEngineLeaksNothingUntilTheSwitchGoesOff) {
  UserWalk w;
  // The probe answers 503: the daemon keeps the tunnel down (and blocked) after the crash.
  const std::string why = w.prepare(Protocol::wireGuard, "http://192.168.77.1/status/503");
  if (!why.empty()) CORVANE_SKIP_OR_FAIL(why);
  const std::string notChosen = w.choose("wireguard", "Lab WireGuard");
  ASSERT_EQ(notChosen, "");
  const auto& site = w.site;
  const auto& ns = site->clientNamespace();
  std::string failure;
  const auto expectRan = [&](const std::vector<std::string>& args) {
    auto result = w.run(args, &failure);
    EXPECT_EQ(result.exitCode, 0) << failure;
    return result;
  };
  EXPECT_EQ(expectRan({"killswitch", "on", "--json"}).json["killSwitch"], true);
  EXPECT_EQ(expectRan({"connect", "--json"}).json["status"], "Connected");

  // The daemon's own events tell when the block is in place.
  daemon::testing::TunneldClient watcher;
  ASSERT_TRUE(watcher.connect(site->socketPath()));
  ASSERT_TRUE(watcher.call(daemon::testing::request(platform::tunneld::Op::subscribe)));
  // What leaves only: what arrives (a server retransmitting to a closed connection) is no leak.
  daemon::testing::PacketCapture capture(ns, "vc", true);
  ASSERT_TRUE(capture.ok());
  ASSERT_GT(site->engineProcess(), 0);
  ::kill(site->engineProcess(), SIGKILL);
  ASSERT_TRUE(watcher.waitForStatus([](const auto& s) { return s.killSwitch && s.status != platform::tunneld::kStatusConnected; }, 10s))
      << site->daemonLog();
  attemptLeaks(ns);
  // The IP echo cannot answer through the block: status does not wait for it (it sat out a
  // 5 s drain before), and shows no address.
  const auto asked = std::chrono::steady_clock::now();
  const auto blocked = expectRan({"status", "--json"});
  EXPECT_LT(std::chrono::steady_clock::now() - asked, 3s) << "status waited for an echo that cannot answer";
  EXPECT_EQ(blocked.json["killSwitchBlocking"], true) << blocked.out;
  EXPECT_EQ(blocked.json["address"], "---.--.-.--") << blocked.out;
  for (const auto& line : capture.stop()) EXPECT_TRUE(isAllowed(line)) << "leaked: " << line;

  EXPECT_EQ(expectRan({"killswitch", "off", "--json"}).json["killSwitch"], false);
  EXPECT_TRUE(watcher.waitForStatus([](const auto& s) { return !s.killSwitch && s.status == platform::tunneld::kStatusDisconnected; }, 5s));
  daemon::testing::PacketCapture control(ns, "vc", true);
  ASSERT_TRUE(control.ok());
  EXPECT_EQ(runIn(ns, {"curl", "-s", "--max-time", "3", "http://192.168.77.1/ip"}).out, "192.168.77.2");
  (void)runIn(ns, {"curl", "-s", "--max-time", "1", "http://192.168.77.1:8082/"});
  int leaked = 0;
  for (const auto& line : control.stop()) leaked += isAllowed(line) ? 0 : 1;
  EXPECT_GT(leaked, 0) << "unblocked, the capture should see the request leave";
  const auto after = expectRan({"status", "--json"});
  EXPECT_EQ(after.json["killSwitchBlocking"], false) << after.out;
  EXPECT_EQ(after.json["status"], "Disconnected") << after.out;

  // With a probe that answers 200 the daemon brings the tunnel back by itself, and the user's
  // disconnect still ends it.
  const Corvanectl probing = w.withProbe("http://192.168.77.1/status/200");
  const auto on = probing.run({"killswitch", "on", "--json"});
  EXPECT_EQ(on.json["killSwitch"], true) << on.describe({"killswitch", "on"});
  EXPECT_EQ(expectRan({"connect", "--json"}).json["status"], "Connected");
  ASSERT_GT(site->engineProcess(), 0);
  ::kill(site->engineProcess(), SIGKILL);
  ASSERT_TRUE(watcher.waitForStatus(platform::tunneld::kStatusReasserting, 10s)) << site->daemonLog();
  ASSERT_TRUE(watcher.waitForStatus(platform::tunneld::kStatusConnected, 30s)) << site->daemonLog();
  const auto back = expectRan({"status", "--json"});
  EXPECT_EQ(back.json["status"], "Connected") << back.out;
  EXPECT_EQ(back.json["address"].get<std::string>().rfind("10.66.", 0), 0u) << back.out;
  const auto down = expectRan({"disconnect", "--json"});
  EXPECT_EQ(down.json["status"], "Disconnected") << down.out;
  EXPECT_EQ(down.json["killSwitchBlocking"], false) << down.out;
}

}  // namespace
}  // namespace corvane::e2e
