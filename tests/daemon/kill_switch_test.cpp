// The kill switch against a real engine crash, for every engine: with it on, nothing but the
// way to the server (the daemon's marked probe, and the IPv6 link's own discovery) leaves the
// client while the tunnel is down, IPv4, IPv6, link-local and DNS alike, and nothing from the
// outer network reaches a local service. Switching on-demand off unblocks at once, and the
// same attempts then do leave and arrive: the positive control that the capture can see them.
#include <gtest/gtest.h>

#include <signal.h>

#include <cstdlib>
#include <functional>
#include <future>

#include "daemon/support/command.h"
#include "daemon/support/engine_servers.h"
#include "daemon/support/packet_capture.h"
#include "daemon/support/skip_or_fail.h"
#include "daemon/support/tunnel_requests.h"
#include "daemon/support/tunneld_client.h"
#include "daemon/support/wireguard_testbed.h"

namespace corvane::daemon::testing {
namespace {

using namespace std::chrono_literals;
using namespace platform::tunneld;

// What must neither leave nor arrive around the tunnel, tried all at once so that a blocked
// attempt's time-out is paid once: TCP over IPv4 and IPv6, ICMP, an echo request to the link's
// all-nodes group, a DNS query to the resolver in resolv.conf; and from the server, connections
// to a service on the client and datagrams the client answers nothing to.
struct Incoming {
  bool served = true;  // both TCP connections got an answer
  int datagrams = 0;   // UDP datagrams the client took in
};

Incoming attemptLeaks(const NamespaceTestbed& bed) {
  const auto& c = bed.client().name();
  const auto& s = bed.server().name();
  const auto udp = (NamespaceTestbed::binDir() / "udp_echo").string();
  std::vector<std::future<CommandResult>> attempts;
  auto attempt = [&](std::string netns, std::vector<std::string> argv) {
    attempts.push_back(std::async(std::launch::async, [netns, argv] { return runIn(netns, argv); }));
  };
  attempt(c, {udp, "count", bed.clientAddress(), "8084", "1500"});
  attempt(s, {"curl", "-s", "--max-time", "1", "http://" + bed.clientAddress() + ":8083/ip"});
  attempt(s, {"curl", "-s", "--max-time", "1", "http://[" + bed.clientAddress6() + "]:8083/ip"});
  attempt(s, {udp, "send", bed.clientAddress(), "8084"});
  attempt(c, {"curl", "-s", "--max-time", "1", "http://" + bed.serverAddress() + ":8082/"});
  attempt(c, {"curl", "-s", "--max-time", "1", "http://[" + bed.serverAddress6() + "]:8082/"});
  attempt(c, {"ping", "-c", "1", "-W", "1", bed.serverAddress()});
  attempt(c, {"ping", "-c", "1", "-W", "1", "ff02::1%vc"});
  attempt(c, {"env", "RES_OPTIONS=timeout:1 attempts:1", "getent", "ahostsv4", "leak.example"});
  Incoming incoming;
  incoming.datagrams = std::atoi(attempts[0].get().out.c_str());
  for (std::size_t i = 1; i < attempts.size(); ++i) {
    auto result = attempts[i].get();
    if (i <= 2) incoming.served = incoming.served && result.ok && !result.out.empty();
  }
  return incoming;
}

// One packet the client sent while blocked, judged: the engine's way to its server, the probe
// page, or the IPv6 link's discovery and listener reports. Anything else is a leak.
bool isAllowed(const std::string& line, const NamespaceTestbed& bed, const std::string& endpoint) {
  for (const char* control : {"ICMP6, neighbor solicitation", "ICMP6, neighbor advertisement",
                              "ICMP6, router solicitation", "ICMP6, multicast listener report"}) {
    if (line.find(control) != std::string::npos) return true;
  }
  const auto probe = bed.serverAddress() + ".80";
  for (const auto& allowed : {endpoint, probe}) {
    if (line.find("> " + allowed + ":") != std::string::npos) return true;
  }
  return false;
}

struct EngineCase {
  std::string engine;
  std::string program;  // the engine's process, killed with -9
  std::string endpoint;
  // Builds the testbed with the engine's server and gives the client configuration.
  std::function<std::unique_ptr<NamespaceTestbed>(std::string* config, std::string* whyNot)> make;
};

EngineCase wireguardCase() {
  return {"wireguard", "wireguard-go", "192.168.77.1.51820", [](std::string* config, std::string* whyNot) {
            auto bed = WireGuardTestbed::create(whyNot);
            if (bed) *config = bed->clientConfig();
            return std::unique_ptr<NamespaceTestbed>(std::move(bed));
          }};
}

EngineCase proxyCase(const EngineServer& server) {
  return {server.engine, server.clientProgram, server.endpoint,
          [server](std::string* config, std::string* whyNot) -> std::unique_ptr<NamespaceTestbed> {
            auto programs = std::vector<std::string>{server.clientProgram, server.serverProgram};
            if (server.engine == "openvpn") programs.push_back("openssl");
            auto bed = ProxyTestbed::create(programs, whyNot);
            if (!bed) return nullptr;
            auto content = startEngineServer(server, *bed);
            if (!content) return *whyNot = "the engine's server did not start: " + bed->daemonLog(), nullptr;
            *config = *content;
            return bed;
          }};
}

void PrintTo(const EngineCase& c, std::ostream* out) { *out << c.engine; }

class KillSwitchLeaks : public ::testing::TestWithParam<EngineCase> {};

TEST_P(KillSwitchLeaks, NothingButTheWayToTheServerWhileTheEngineIsDownAndEverythingOnceSwitchedOff) {
  const EngineCase& c = GetParam();
  std::string config, why;
  auto bed = c.make(&config, &why);
  if (!bed) CORVANE_SKIP_OR_FAIL(why);
  ASSERT_TRUE(bed->startEcho(bed->client(), "8083", {bed->clientAddress(), bed->clientAddress6()}));
  ASSERT_TRUE(bed->startDaemon());
  TunneldClient client;
  ASSERT_TRUE(client.connect(bed->socketPath())) << bed->daemonLog();
  ASSERT_TRUE(client.call(request(Op::subscribe)));
  auto saved = client.call(saveKillSwitch(true, "http://" + bed->serverAddress() + "/status/503"));
  ASSERT_TRUE(saved && saved->ok() && saved->manager);
  ASSERT_TRUE(client.call(startProfile(config, c.engine)));
  ASSERT_TRUE(client.waitForStatus(kStatusConnected, 30s)) << bed->daemonLog();

  const auto& ns = bed->client().name();
  {
    PacketCapture capture(ns, "vc", true);
    ASSERT_TRUE(capture.ok());
    const pid_t engine = bed->engineProcess(c.program);
    ASSERT_GT(engine, 0);
    kill(engine, SIGKILL);
    auto blocked = client.waitForStatus([](const TunnelStatus& s) { return s.status == kStatusReasserting && s.killSwitch; }, 10s);
    ASSERT_TRUE(blocked) << bed->daemonLog();
    ASSERT_TRUE(blocked->lastError);
    EXPECT_TRUE(blocked->lastError->blocking);
    auto incoming = attemptLeaks(*bed);
    EXPECT_FALSE(incoming.served) << "a connection from outside reached the client while blocked";
    EXPECT_EQ(incoming.datagrams, 0) << "datagrams from outside reached the client while blocked";
    for (const auto& line : capture.stop()) EXPECT_TRUE(isAllowed(line, *bed, c.endpoint)) << "leaked: " << line;
  }

  // The probe answers 503, so the tunnel is not brought back; switching on-demand off ends the
  // blocking at once, and then the capture sees what the table held back.
  auto off = saveKillSwitch(false, std::nullopt, saved->manager->id);
  ASSERT_TRUE(client.call(off));
  ASSERT_TRUE(client.waitForStatus([](const TunnelStatus& s) { return s.status == kStatusDisconnected && !s.killSwitch; }, 5s));
  PacketCapture capture(ns, "vc", true);
  ASSERT_TRUE(capture.ok());
  auto incoming = attemptLeaks(*bed);
  EXPECT_TRUE(incoming.served) << "the client's service should be reachable with nothing blocking";
  EXPECT_GT(incoming.datagrams, 0);
  int leaked = 0;
  for (const auto& line : capture.stop()) leaked += isAllowed(line, *bed, c.endpoint) ? 0 : 1;
  EXPECT_GE(leaked, 5) << "the capture saw too little, so the blocked case proves nothing";
}

INSTANTIATE_TEST_SUITE_P(Engines, KillSwitchLeaks,
                         ::testing::Values(wireguardCase(), proxyCase(kOpenVpnServer), proxyCase(kShadowsocksServer),
                                           proxyCase(kV2rayServer)),
                         [](const auto& info) { return info.param.engine; });

// While the tunnel is up, kill switch or not: IPv6 the tunnel does not carry, the LAN and any
// resolver but the tunnel's stay unreachable; DNS goes inside the tunnel.
TEST(LeakGuard, WhileUpNothingLeavesAroundAnIpv4OnlyTunnel) {
  std::string why;
  auto bed = WireGuardTestbed::create(&why);
  if (!bed) CORVANE_SKIP_OR_FAIL(why);
  ASSERT_TRUE(bed->startEcho(bed->client(), "8083", {bed->clientAddress(), bed->clientAddress6()}));
  ASSERT_TRUE(bed->startDaemon());
  TunneldClient client;
  ASSERT_TRUE(client.connect(bed->socketPath()));
  ASSERT_TRUE(client.call(request(Op::subscribe)));
  ASSERT_TRUE(client.call(startProfile(bed->clientConfig(false))));
  ASSERT_TRUE(client.waitForStatus(kStatusConnected, 30s)) << bed->daemonLog();
  const auto& ns = bed->client().name();
  PacketCapture capture(ns, "vc", true);
  ASSERT_TRUE(capture.ok());
  auto incoming = attemptLeaks(*bed);
  EXPECT_FALSE(incoming.served);
  EXPECT_EQ(incoming.datagrams, 0);
  EXPECT_EQ(runIn(ns, {"curl", "-s", "--max-time", "5", "http://10.77.0.1:8080/ip"}).out, "10.77.0.2");
  int tunnelled = 0;
  for (const auto& line : capture.stop()) {
    EXPECT_TRUE(isAllowed(line, *bed, "192.168.77.1.51820")) << "leaked: " << line;
    tunnelled += line.find("192.168.77.1.51820") != std::string::npos ? 1 : 0;
  }
  EXPECT_GT(tunnelled, 0) << "the request through the tunnel should show as WireGuard packets";
}

// Connected with the kill switch on, one engine stands for all (the table does not depend on it).
struct KillSwitched {
  std::unique_ptr<WireGuardTestbed> bed;
  TunneldClient client;
};

bool connectKillSwitched(KillSwitched& k, const std::string& probeURL, std::string* whyNot) {
  k.bed = WireGuardTestbed::create(whyNot);
  if (!k.bed) return false;
  if (!k.bed->startDaemon() || !k.client.connect(k.bed->socketPath())) return *whyNot = "daemon did not start", false;
  k.client.call(request(Op::subscribe));
  auto saved = k.client.call(saveKillSwitch(true, probeURL));
  if (!saved || !saved->ok()) return *whyNot = "manager not saved", false;
  k.client.call(startProfile(k.bed->clientConfig()));
  if (!k.client.waitForStatus(kStatusConnected, 30s)) return *whyNot = "no connection: " + k.bed->daemonLog(), false;
  return true;
}

TEST(KillSwitch, AProbeAnswering200BringsTheTunnelBackAndTheUsersStopWins) {
  KillSwitched k;
  std::string why;
  if (!connectKillSwitched(k, "http://192.168.77.1/status/200", &why)) {
    if (!k.bed) CORVANE_SKIP_OR_FAIL(why);
    FAIL() << why;
  }
  kill(k.bed->engineProcess(), SIGKILL);
  ASSERT_TRUE(k.client.waitForStatus(kStatusReasserting, 10s));
  ASSERT_TRUE(k.client.waitForStatus(kStatusConnected, 30s)) << k.bed->daemonLog();
  const auto& ns = k.bed->client().name();
  EXPECT_EQ(runIn(ns, {"curl", "-s", "--max-time", "5", "http://10.77.0.1:8080/ip"}).out, "10.77.0.2");

  ASSERT_TRUE(k.client.call(request(Op::stop)));
  auto stopped = k.client.waitForStatus(kStatusDisconnected, 10s);
  ASSERT_TRUE(stopped);
  EXPECT_FALSE(stopped->killSwitch);
  EXPECT_EQ(runIn(ns, {"curl", "-s", "--max-time", "3", "http://192.168.77.1/ip"}).out, "192.168.77.2");
}

// A stopped service is not the user's stop: SIGTERM (a package upgrade, a shutdown) leaves the
// host blocked like a crash does, and the next daemon resumes the tunnel; only the user's own
// stop opens traffic again.
TEST(KillSwitch, ADaemonStoppedWithSigtermLeavesTrafficBlockedUntilTheUsersStop) {
  KillSwitched k;
  std::string why;
  if (!connectKillSwitched(k, "http://192.168.77.1/status/200", &why)) {
    if (!k.bed) CORVANE_SKIP_OR_FAIL(why);
    FAIL() << why;
  }
  const auto& ns = k.bed->client().name();
  EXPECT_TRUE(k.bed->stopDaemon(SIGTERM)) << k.bed->daemonLog();
  EXPECT_EQ(k.bed->engineProcess(), 0) << "the engine outlived the daemon";
  EXPECT_NE(runIn(ns, {"nft", "list", "tables"}).out.find("corvane_tunneld"), std::string::npos);
  EXPECT_EQ(runIn(ns, {"curl", "-s", "--max-time", "1", "http://192.168.77.1/ip"}).out, "") << "traffic flows";

  ASSERT_TRUE(k.bed->startDaemon());
  TunneldClient again;
  ASSERT_TRUE(again.connect(k.bed->socketPath(), 30s)) << k.bed->daemonLog();
  ASSERT_TRUE(again.call(request(Op::subscribe)));
  ASSERT_TRUE(again.waitForStatus(kStatusConnected, 30s)) << k.bed->daemonLog();
  ASSERT_TRUE(again.call(request(Op::stop)));
  ASSERT_TRUE(again.waitForStatus([](const TunnelStatus& s) { return s.status == kStatusDisconnected && !s.killSwitch; }, 10s));
  EXPECT_EQ(runIn(ns, {"curl", "-s", "--max-time", "3", "http://192.168.77.1/ip"}).out, "192.168.77.2");
}

}  // namespace
}  // namespace corvane::daemon::testing
