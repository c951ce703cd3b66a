// The kill switch against a real engine crash: with it on, nothing but the way to the server
// (and the daemon's marked probe) leaves the client while the tunnel is down, IPv4, IPv6 and
// DNS alike; with it off, the same attempts do leave (the capture can see a leak). Switching
// on-demand off unblocks at once, and a probe answering 200 brings the tunnel back.
#include <gtest/gtest.h>

#include <signal.h>

#include "daemon/support/command.h"
#include "daemon/support/skip_or_fail.h"
#include "daemon/support/packet_capture.h"
#include "daemon/support/tunnel_requests.h"
#include "daemon/support/tunneld_client.h"
#include "daemon/support/wireguard_testbed.h"

namespace corvane::daemon::testing {
namespace {

using namespace std::chrono_literals;
using namespace platform::tunneld;

// Traffic that must not leave outside the tunnel: TCP over IPv4 and IPv6, ICMP, and a DNS
// query to the resolver in resolv.conf.
void attemptLeaks(const std::string& netns) {
  (void)runIn(netns, {"curl", "-s", "--max-time", "1", "http://192.168.77.1:8082/"});
  (void)runIn(netns, {"curl", "-s", "--max-time", "1", "http://[fd77::1]:8082/"});
  (void)runIn(netns, {"ping", "-c", "1", "-W", "1", "192.168.77.1"});
  (void)runIn(netns, {"env", "RES_OPTIONS=timeout:1 attempts:1", "getent", "ahostsv4", "leak.example"});
}

bool isAllowed(const std::string& line) {
  // The kernel's own link-scope IPv6 control (multicast listener reports, router
  // solicitations to ff02::) never leaves the link and carries nothing of the user's.
  if (line.find(" > ff02::") != std::string::npos) return true;
  // The engine's way to its server and the daemon's probe page: nothing else.
  return line.find("192.168.77.1.51820") != std::string::npos || line.find("192.168.77.1.80:") != std::string::npos ||
         line.find("192.168.77.1.80 ") != std::string::npos;
}

struct Connected {
  std::unique_ptr<WireGuardTestbed> bed;
  TunneldClient client;
};

// A connected tunnel whose owner's kill switch is `killSwitch`, with `probeURL` as its rule.
bool connect(Connected& c, bool killSwitch, const std::string& probeURL, std::string* whyNot) {
  c.bed = WireGuardTestbed::create(whyNot);
  if (!c.bed) return false;
  if (!c.bed->startDaemon() || !c.client.connect(c.bed->socketPath())) return *whyNot = "daemon did not start", false;
  c.client.call(request(Op::subscribe));
  auto saved = c.client.call(saveKillSwitch(killSwitch, probeURL));
  if (!saved || !saved->ok()) return *whyNot = "manager not saved", false;
  c.client.call(startProfile(c.bed->clientConfig()));
  if (!c.client.waitForStatus(kStatusConnected, 30s)) return *whyNot = "no connection: " + c.bed->daemonLog(), false;
  return true;
}

TEST(KillSwitch, NothingLeavesButTheWayToTheServerWhileTheEngineIsDown) {
  Connected c;
  std::string why;
  if (!connect(c, true, "http://192.168.77.1/status/503", &why)) {
    if (!c.bed) CORVANE_SKIP_OR_FAIL(why);
    FAIL() << why;
  }
  const auto& ns = c.bed->client().name();
  PacketCapture capture(ns, "vc");
  ASSERT_TRUE(capture.ok());
  ASSERT_GT(c.bed->engineProcess(), 0);
  kill(c.bed->engineProcess(), SIGKILL);
  auto blocked = c.client.waitForStatus([](const TunnelStatus& s) { return s.status == kStatusReasserting && s.killSwitch; }, 10s);
  ASSERT_TRUE(blocked) << c.bed->daemonLog();
  EXPECT_TRUE(blocked->killSwitch);
  ASSERT_TRUE(blocked->lastError);
  EXPECT_TRUE(blocked->lastError->blocking);

  attemptLeaks(ns);
  auto lines = capture.stop();
  for (const auto& line : lines) EXPECT_TRUE(isAllowed(line)) << "leaked: " << line;

  // The probe answers 503, so the tunnel is not brought back; switching on-demand off ends
  // the blocking at once.
  auto managers = c.client.call(request(Op::managersList));
  ASSERT_TRUE(managers && managers->managers && managers->managers->size() == 1);
  ASSERT_TRUE(c.client.call(saveKillSwitch(false, std::nullopt, managers->managers->front().id)));
  ASSERT_TRUE(c.client.waitForStatus([](const TunnelStatus& s) { return s.status == kStatusDisconnected && !s.killSwitch; }, 5s));
  EXPECT_EQ(runIn(ns, {"curl", "-s", "--max-time", "3", "http://192.168.77.1/ip"}).out, "192.168.77.2");
}

// While the tunnel is up, kill switch or not: IPv6 the tunnel does not carry, the LAN and any
// resolver but the tunnel's stay unreachable; DNS goes inside the tunnel.
TEST(LeakGuard, WhileUpNothingLeavesAroundAnIpv4OnlyTunnel) {
  std::string why;
  auto bed = WireGuardTestbed::create(&why);
  if (!bed) CORVANE_SKIP_OR_FAIL(why);
  ASSERT_TRUE(bed->startDaemon());
  TunneldClient client;
  ASSERT_TRUE(client.connect(bed->socketPath()));
  ASSERT_TRUE(client.call(request(Op::subscribe)));
  ASSERT_TRUE(client.call(startProfile(bed->clientConfig(false))));
  ASSERT_TRUE(client.waitForStatus(kStatusConnected, 30s)) << bed->daemonLog();
  const auto& ns = bed->client().name();
  PacketCapture capture(ns, "vc");
  ASSERT_TRUE(capture.ok());
  attemptLeaks(ns);
  EXPECT_EQ(runIn(ns, {"curl", "-s", "--max-time", "5", "http://10.77.0.1:8080/ip"}).out, "10.77.0.2");
  auto lines = capture.stop();
  int tunnelled = 0;
  for (const auto& line : lines) {
    EXPECT_TRUE(isAllowed(line)) << "leaked: " << line;
    tunnelled += line.find("192.168.77.1.51820") != std::string::npos ? 1 : 0;
  }
  EXPECT_GT(tunnelled, 0) << "the request through the tunnel should show as WireGuard packets";
}

TEST(KillSwitch, WithoutItTheSameLossLeaks) {
  Connected c;
  std::string why;
  if (!connect(c, false, "http://192.168.77.1/status/200", &why)) {
    if (!c.bed) CORVANE_SKIP_OR_FAIL(why);
    FAIL() << why;
  }
  const auto& ns = c.bed->client().name();
  PacketCapture capture(ns, "vc");
  ASSERT_TRUE(capture.ok());
  kill(c.bed->engineProcess(), SIGKILL);
  auto down = c.client.waitForStatus(kStatusDisconnected, 10s);
  ASSERT_TRUE(down);
  EXPECT_FALSE(down->killSwitch);
  attemptLeaks(ns);
  auto lines = capture.stop();
  int leaked = 0;
  for (const auto& line : lines) leaked += isAllowed(line) ? 0 : 1;
  EXPECT_GT(leaked, 0) << "the capture saw nothing, so the blocked case proves nothing";
}

TEST(KillSwitch, AProbeAnswering200BringsTheTunnelBackAndTheUsersStopWins) {
  Connected c;
  std::string why;
  if (!connect(c, true, "http://192.168.77.1/status/200", &why)) {
    if (!c.bed) CORVANE_SKIP_OR_FAIL(why);
    FAIL() << why;
  }
  kill(c.bed->engineProcess(), SIGKILL);
  ASSERT_TRUE(c.client.waitForStatus(kStatusReasserting, 10s));
  ASSERT_TRUE(c.client.waitForStatus(kStatusConnected, 30s)) << c.bed->daemonLog();
  const auto& ns = c.bed->client().name();
  EXPECT_EQ(runIn(ns, {"curl", "-s", "--max-time", "5", "http://10.77.0.1:8080/ip"}).out, "10.77.0.2");

  ASSERT_TRUE(c.client.call(request(Op::stop)));
  auto stopped = c.client.waitForStatus(kStatusDisconnected, 10s);
  ASSERT_TRUE(stopped);
  EXPECT_FALSE(stopped->killSwitch);
  EXPECT_EQ(runIn(ns, {"curl", "-s", "--max-time", "3", "http://192.168.77.1/ip"}).out, "192.168.77.2");
}

}  // namespace
}  // namespace corvane::daemon::testing
