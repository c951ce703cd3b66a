// The kill switch against a real engine crash, for every engine: with it on, nothing but the
// way to the server (the daemon's marked probe, the IPv6 link's own discovery and the host's
// DHCP client) leaves the client while the tunnel is down, IPv4, IPv6, link-local and DNS
// alike, and nothing from the outer network but DHCP answers reaches a local service. Switching on-demand off unblocks at once, and the
// same attempts then do leave and arrive: the positive control that the capture can see them.
#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <future>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "daemon/support/command.h"
#include "daemon/support/engine_servers.h"
#include "daemon/support/packet_capture.h"
#include "daemon/support/proxy_testbed.h"
#include "daemon/support/skip_or_fail.h"
#include "daemon/support/tunnel_requests.h"
#include "daemon/support/tunneld_client.h"
#include "daemon/support/wireguard_testbed.h"

namespace corvane::daemon::testing {
namespace {

using namespace std::chrono_literals;
using namespace platform::tunneld;

// The host's DHCP client is the one thing the table lets through besides the way to the
// server (a lease must outlive a long block), so datagrams of its shape are sent alongside,
// with near misses that must stay blocked. `dhcp`: the shape the table lets out.
struct Datagram {
  int fromPort;
  std::string to;
  std::string toPort;
  bool dhcp;
};

std::vector<Datagram> outgoingDatagrams(const NamespaceTestbed& bed) {
  return {
      {68, bed.serverAddress(), "67", true},      // a DHCPv4 renewal, unicast
      {68, "255.255.255.255", "67", true},        // DHCPv4 broadcast
      {546, "ff02::1:2%vc", "547", true},         // DHCPv6 to the servers' link group
      {546, bed.serverAddress6(), "547", true},   // DHCPv6 to a unicast server
      {68, bed.serverAddress(), "5067", false},   // the client's port to another port
      {5068, bed.serverAddress(), "67", false},   // the server's port from another port
      {546, "ff02::1%vc", "547", false},          // DHCPv6 ports to another group
  };
}

// tcpdump -n writes a datagram as "... IP SRC.SPORT > DST.DPORT: ..." (IP6 alike).
struct Ends {
  std::string fromPort, to, toPort;
};

std::optional<Ends> endsOf(const std::string& line) {
  const auto arrow = line.find(" > ");
  const auto colon = line.find(": ", arrow == std::string::npos ? 0 : arrow);
  if (arrow == std::string::npos || colon == std::string::npos) return std::nullopt;
  const auto sourceStart = line.rfind(' ', arrow - 1) + 1;
  const std::string source = line.substr(sourceStart, arrow - sourceStart);
  const std::string target = line.substr(arrow + 3, colon - arrow - 3);
  const auto sourceDot = source.rfind('.'), targetDot = target.rfind('.');
  if (sourceDot == std::string::npos || targetDot == std::string::npos) return std::nullopt;
  return Ends{source.substr(sourceDot + 1), target.substr(0, targetDot), target.substr(targetDot + 1)};
}

bool isDhcpClientTraffic(const std::string& line) {
  auto ends = endsOf(line);
  if (!ends) return false;
  if (ends->fromPort == "68" && ends->toPort == "67") return line.find(" IP ") != std::string::npos;
  if (ends->fromPort != "546" || ends->toPort != "547") return false;
  return ends->to == "ff02::1:2" || !ends->to.starts_with("ff");
}

bool sawDatagram(const std::vector<std::string>& lines, const Datagram& datagram) {
  const std::string to = datagram.to.substr(0, datagram.to.find('%'));
  return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
    auto ends = endsOf(line);
    return ends && ends->fromPort == std::to_string(datagram.fromPort) && ends->to == to &&
           ends->toPort == datagram.toPort;
  });
}

// What must neither leave nor arrive around the tunnel, tried all at once so that a blocked
// attempt's time-out is paid once: TCP over IPv4 and IPv6, ICMP, an echo request to the link's
// all-nodes group, a DNS query to the resolver in resolv.conf, the datagrams above; and from
// the server, connections to a service on the client and datagrams the client answers nothing
// to, besides DHCP servers' answers, which must arrive.
struct Incoming {
  bool served = true;     // both TCP connections got an answer
  int datagrams = 0;      // UDP datagrams the client took in, DHCP answers aside
  int dhcpAnswers4 = 0;   // from port 67 to the client's 68
  int dhcpAnswers6 = 0;   // from port 547 to the client's 546
};

Incoming attemptLeaks(const NamespaceTestbed& bed) {
  const auto& c = bed.client().name();
  const auto& s = bed.server().name();
  const auto udp = (NamespaceTestbed::binDir() / "udp_echo").string();
  std::vector<std::future<CommandResult>> attempts;
  auto attempt = [&](std::string netns, std::vector<std::string> argv) {
    attempts.push_back(std::async(std::launch::async, [netns, argv] { return runIn(netns, argv); }));
    return attempts.size() - 1;
  };
  const auto plain = attempt(c, {udp, "count", bed.clientAddress(), "8084", "1500"});
  const auto fromDhcpPort = attempt(c, {udp, "count", bed.clientAddress(), "8086", "1500"});
  const auto answers4 = attempt(c, {udp, "count", bed.clientAddress(), "68", "1500"});
  const auto answers6 = attempt(c, {udp, "count", bed.clientAddress6(), "546", "1500"});
  attempt(s, {udp, "--from=67", "send", bed.clientAddress(), "8086"});
  attempt(s, {udp, "--from=67", "send", bed.clientAddress(), "68"});
  attempt(s, {udp, "--from=547", "send", bed.clientAddress6(), "546"});
  for (const auto& datagram : outgoingDatagrams(bed)) {
    attempt(c, {udp, "--from=" + std::to_string(datagram.fromPort), "send", datagram.to, datagram.toPort});
  }
  const auto served4 = attempt(s, {"curl", "-s", "--max-time", "1", "http://" + bed.clientAddress() + ":8083/ip"});
  const auto served6 = attempt(s, {"curl", "-s", "--max-time", "1", "http://[" + bed.clientAddress6() + "]:8083/ip"});
  attempt(s, {udp, "send", bed.clientAddress(), "8084"});
  attempt(c, {"curl", "-s", "--max-time", "1", "http://" + bed.serverAddress() + ":8082/"});
  attempt(c, {"curl", "-s", "--max-time", "1", "http://[" + bed.serverAddress6() + "]:8082/"});
  attempt(c, {"ping", "-c", "1", "-W", "1", bed.serverAddress()});
  attempt(c, {"ping", "-c", "1", "-W", "1", "ff02::1%vc"});
  attempt(c, {"env", "RES_OPTIONS=timeout:1 attempts:1", "getent", "ahostsv4", "leak.example"});
  std::vector<CommandResult> results;
  for (auto& attempt : attempts) results.push_back(attempt.get());
  Incoming incoming;
  incoming.datagrams = std::atoi(results[plain].out.c_str()) + std::atoi(results[fromDhcpPort].out.c_str());
  incoming.dhcpAnswers4 = std::atoi(results[answers4].out.c_str());
  incoming.dhcpAnswers6 = std::atoi(results[answers6].out.c_str());
  for (auto i : {served4, served6}) incoming.served = incoming.served && results[i].ok && !results[i].out.empty();
  return incoming;
}

// One packet the client sent while blocked, judged: the engine's way to its server, the probe
// page, the IPv6 link's discovery and listener reports, or the DHCP client. Anything else is a
// leak.
bool isAllowed(const std::string& line, const NamespaceTestbed& bed, const std::string& endpoint) {
  if (isDhcpClientTraffic(line)) return true;
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
    EXPECT_GT(incoming.dhcpAnswers4, 0) << "a DHCP server's answer was held back";
    EXPECT_GT(incoming.dhcpAnswers6, 0) << "a DHCPv6 server's answer was held back";
    const auto lines = capture.stop();
    for (const auto& line : lines) EXPECT_TRUE(isAllowed(line, *bed, c.endpoint)) << "leaked: " << line;
    for (const auto& datagram : outgoingDatagrams(*bed)) {
      EXPECT_TRUE(!datagram.dhcp || sawDatagram(lines, datagram)) << "held back: DHCP to " << datagram.to;
    }
    // Why the tunnel stays down reaches the subscriber: the probe's refusal, still blocking.
    auto refused = client.waitForStatus([](const TunnelStatus& s) {
      return s.lastError && s.lastError->message.find("/status/503 did not answer 200") != std::string::npos;
    }, 5s);
    ASSERT_TRUE(refused) << bed->daemonLog();
    EXPECT_TRUE(refused->lastError->blocking);
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
  const auto lines = capture.stop();
  for (const auto& line : lines) leaked += isAllowed(line, *bed, c.endpoint) ? 0 : 1;
  EXPECT_GE(leaked, 5) << "the capture saw too little, so the blocked case proves nothing";
  for (const auto& datagram : outgoingDatagrams(*bed)) {
    EXPECT_TRUE(sawDatagram(lines, datagram)) << "the capture cannot see datagrams to " << datagram.to << ":"
                                              << datagram.toPort << ", so their absence proves nothing";
  }
}

INSTANTIATE_TEST_SUITE_P(Engines, KillSwitchLeaks,
                         ::testing::Values(wireguardCase(), proxyCase(kOpenVpnServer), proxyCase(kShadowsocksServer),
                                           proxyCase(kV2rayServer)),
                         [](const auto& info) { return info.param.engine; });

// Whether the target behind the server answers, which it does only through the tunnel.
bool reachesTarget(const NamespaceTestbed& bed) {
  if (const auto* proxied = dynamic_cast<const ProxyTestbed*>(&bed)) {
    for (int attempt = 0; attempt < 3; ++attempt) {
      if (!proxied->echoOverTcp().empty()) return true;
    }
    return false;
  }
  return runIn(bed.client().name(), {"curl", "-s", "--max-time", "5", "http://10.77.0.1:8080/ip"}).out == "10.77.0.2";
}

// The link that carries the way to the server goes down (a cable pulled, Wi-Fi gone): every
// engine reports the loss at once, the kill switch blocks, restarts meanwhile find no way to
// the server, and once the link is back the tunnel is too, without the user.
class LinkLoss : public ::testing::TestWithParam<EngineCase> {};

TEST_P(LinkLoss, TheOuterLinkGoingDownIsALossAtOnceAndItsReturnBringsTheTunnelBack) {
  const EngineCase& c = GetParam();
  std::string config, why;
  auto bed = c.make(&config, &why);
  if (!bed) CORVANE_SKIP_OR_FAIL(why);
  ASSERT_TRUE(bed->startDaemon());
  TunneldClient client;
  ASSERT_TRUE(client.connect(bed->socketPath())) << bed->daemonLog();
  ASSERT_TRUE(client.call(request(Op::subscribe)));
  auto saved = client.call(saveKillSwitch(true, std::nullopt));
  ASSERT_TRUE(saved && saved->ok());
  ASSERT_TRUE(client.call(startProfile(config, c.engine)));
  ASSERT_TRUE(client.waitForStatus(kStatusConnected, 30s)) << bed->daemonLog();

  const auto& ns = bed->client().name();
  ASSERT_TRUE(runIn(ns, {"ip", "link", "set", "vc", "down"}).ok);
  auto lost = client.waitForStatus([](const TunnelStatus& s) { return s.status != kStatusConnected; }, 5s);
  ASSERT_TRUE(lost) << "the loss went unnoticed\n" << bed->daemonLog();
  EXPECT_EQ(lost->status, kStatusReasserting);
  EXPECT_TRUE(lost->killSwitch);
  ASSERT_TRUE(lost->lastError);
  EXPECT_NE(lost->lastError->message.find("vc"), std::string::npos) << lost->lastError->message;

  // The first restart (after one second) finds no way to the server and keeps blocking; the
  // subscriber hears why at once, and only once while the next restarts fail alike.
  auto noWay = [](const TunnelStatus& s) {
    return s.lastError && s.lastError->message.find("no way to the server") != std::string::npos;
  };
  auto restarted = client.waitForStatus(noWay, 5s);
  ASSERT_TRUE(restarted) << bed->daemonLog();
  EXPECT_EQ(restarted->status, kStatusReasserting);
  EXPECT_TRUE(restarted->killSwitch);
  EXPECT_TRUE(restarted->lastError->blocking);
  // The second restart comes two seconds after the first.
  EXPECT_FALSE(client.waitForStatus(noWay, 2500ms)) << "the same error was told again";

  // Up again, with the default route back as the link's DHCP client would put it.
  ASSERT_TRUE(runIn(ns, {"ip", "link", "set", "vc", "up"}).ok);
  runIn(ns, {"ip", "route", "replace", "default", "via", bed->serverAddress()});
  auto back = client.waitForStatus(kStatusConnected, 45s);
  ASSERT_TRUE(back) << bed->daemonLog();
  EXPECT_FALSE(back->killSwitch);
  EXPECT_TRUE(reachesTarget(*bed)) << bed->daemonLog();
  ASSERT_TRUE(client.call(request(Op::stop)));
  EXPECT_TRUE(client.waitForStatus(kStatusDisconnected, 10s));
}

INSTANTIATE_TEST_SUITE_P(Engines, LinkLoss,
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
  // kill(0) would hit the test's own process group: no engine process is a failure here.
  const pid_t engine = k.bed->engineProcess();
  ASSERT_GT(engine, 0) << "no engine process to kill";
  kill(engine, SIGKILL);
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
