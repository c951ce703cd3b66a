// WireGuard through the daemon, for real: wireguard-go on the server's end of a veth pair
// between two namespaces, the daemon in the client one, a socket client driving it. Connects,
// carries traffic with the tunnel's address as the source, counts it, and leaves nothing
// behind. The daemon's side runs on whichever WireGuard CORVANE_WIREGUARD asks for (tests/vm
// runs these rows with "kernel" on a kernel that has it).
#include <gtest/gtest.h>

#include <signal.h>

#include <cstdlib>

#include "daemon/support/command.h"
#include "daemon/support/skip_or_fail.h"
#include "daemon/support/tunneld_client.h"
#include "daemon/support/wireguard_testbed.h"

namespace corvane::daemon::testing {
namespace {

using namespace std::chrono_literals;
using namespace platform::tunneld;

Request startProfile(const std::string& content) {
  Request request;
  request.op = Op::start;
  request.profile = Profile{"wireguard", content, "test"};
  return request;
}

Request simple(Op op) {
  Request request;
  request.op = op;
  return request;
}

bool kernelWanted() {
  const char* wanted = std::getenv("CORVANE_WIREGUARD");
  return wanted && std::string(wanted) == "kernel";
}

// What a stopped tunnel must not leave in the client namespace.
void expectNothingLeft(const WireGuardTestbed& bed) {
  const auto& c = bed.client().name();
  EXPECT_EQ(runIn(c, {"ip", "link", "show", bed.clientInterface()}).ok, false) << "the interface is still there";
  auto rules = runIn(c, {"ip", "rule"}).out + runIn(c, {"ip", "-6", "rule"}).out;
  EXPECT_EQ(rules.find("32100"), std::string::npos) << rules;
  EXPECT_EQ(rules.find("32101"), std::string::npos) << rules;
  auto tables = runIn(c, {"nft", "list", "tables"}).out;
  EXPECT_EQ(tables.find("corvane"), std::string::npos) << tables;
  auto resolv = run({"cat", bed.client().resolvConfPath()}).out;
  EXPECT_EQ(resolv, WireGuardTestbed::kResolvConf);
}

TEST(WireGuardEndToEnd, ConnectsCarriesCountsAndCleansUp) {
  std::string whyNot;
  auto bed = WireGuardTestbed::create(&whyNot);
  if (!bed) CORVANE_SKIP_OR_FAIL(whyNot);
  // Unless the run names one, the daemon chooses as it does for users: the kernel's WireGuard
  // where there is one, wireguard-go (after the kernel refused) here.
  ASSERT_TRUE(kernelWanted() ? bed->startDaemon() : bed->startDaemon({"CORVANE_WIREGUARD="}));
  TunneldClient client;
  ASSERT_TRUE(client.connect(bed->socketPath())) << bed->daemonLog();
  Request hello = simple(Op::hello);
  hello.version = 1;
  ASSERT_TRUE(client.call(hello));
  ASSERT_TRUE(client.call(simple(Op::subscribe)));

  auto started = client.call(startProfile(bed->clientConfig()));
  ASSERT_TRUE(started && started->ok()) << (started && started->error ? started->error->message : "no answer");
  auto connected = client.waitForStatus(kStatusConnected, 30s);
  ASSERT_TRUE(connected) << bed->daemonLog();
  EXPECT_EQ(connected->engine, "wireguard");
  EXPECT_EQ(connected->tunnelAddress, "10.77.0.2");
  EXPECT_EQ(connected->interfaceName, bed->clientInterface());
  EXPECT_EQ(connected->startedBy, "profile");
  const auto& c = bed->client().name();
  // The device the run asked for is the one that carries it.
  const bool kernelLink = runIn(c, {"ip", "-d", "link", "show", bed->clientInterface()}).out.find("wireguard") != std::string::npos;
  if (kernelWanted()) {
    EXPECT_TRUE(kernelLink) << runIn(c, {"ip", "-d", "link", "show", bed->clientInterface()}).out;
    EXPECT_EQ(bed->engineProcess(), 0) << "wireguard-go runs beside kernel WireGuard";
  } else if (!kernelLink) {
    EXPECT_NE(bed->engineProcess(), 0) << "neither kernel WireGuard nor wireguard-go";
  }
  // The status has no field for it: the log says which one runs.
  EXPECT_NE(bed->daemonLog().find(bed->clientInterface() + " runs on " + (kernelLink ? "kernel WireGuard" : "wireguard-go")),
            std::string::npos)
      << bed->daemonLog();

  auto echo = runIn(c, {"curl", "-s", "--max-time", "5", "http://10.77.0.1:8080/ip"});
  EXPECT_EQ(echo.out, "10.77.0.2") << echo.err;
  auto echo6 = runIn(c, {"curl", "-s", "--max-time", "5", "http://[fd78::1]:8080/ip"});
  EXPECT_EQ(echo6.out, "fd78::2") << echo6.err;
  EXPECT_NE(run({"cat", bed->client().resolvConfPath()}).out.find("nameserver 10.77.0.1"), std::string::npos);

  auto traffic = client.waitForTraffic([](const Traffic& t) { return t.rxBytes > 0 && t.txBytes > 0; }, 5s);
  ASSERT_TRUE(traffic);
  auto status = client.call(simple(Op::status));
  ASSERT_TRUE(status && status->status);
  EXPECT_EQ(status->status->status, kStatusConnected);
  EXPECT_GT(status->status->rxBytes, 0u);

  // A stop is told as exactly one "disconnecting" and one "disconnected", the latter with its
  // fields already settled: a bare client need not read on for a corrected copy.
  const auto beforeStop = client.statusesSeen().size();
  ASSERT_TRUE(client.call(simple(Op::stop)));
  auto stopped = client.waitForStatus(kStatusDisconnected, 10s);
  ASSERT_TRUE(stopped);
  EXPECT_FALSE(stopped->killSwitch);
  EXPECT_EQ(stopped->engine, "");
  EXPECT_EQ(stopped->interfaceName, "");
  EXPECT_FALSE(client.waitForStatus([](const TunnelStatus&) { return true; }, 500ms)) << "a status after the stop's";
  const std::vector<std::int64_t> afterStop(client.statusesSeen().begin() + static_cast<std::ptrdiff_t>(beforeStop),
                                            client.statusesSeen().end());
  EXPECT_EQ(afterStop, (std::vector<std::int64_t>{kStatusDisconnecting, kStatusDisconnected}));
  expectNothingLeft(*bed);
  // A clean exit on SIGTERM (under the sanitizers: no leak or error report either).
  EXPECT_TRUE(bed->stopDaemon(SIGTERM)) << bed->daemonLog();
  EXPECT_EQ(bed->daemonLog().find("Sanitizer"), std::string::npos) << bed->daemonLog();
}

TEST(WireGuardEndToEnd, AStartWhileConnectedReplacesTheTunnelEvenTowardsAnotherEndpoint) {
  std::string whyNot;
  auto bed = WireGuardTestbed::create(&whyNot);
  if (!bed) CORVANE_SKIP_OR_FAIL(whyNot);
  ASSERT_TRUE(bed->startDaemon());
  TunneldClient client;
  ASSERT_TRUE(client.connect(bed->socketPath()));
  ASSERT_TRUE(client.call(simple(Op::subscribe)));
  ASSERT_TRUE(client.call(startProfile(bed->clientConfig())));
  ASSERT_TRUE(client.waitForStatus(kStatusConnected, 30s)) << bed->daemonLog();
  // The same server over IPv6: the first tunnel's leak guard must not keep the new engine
  // from reaching it.
  std::string overIpv6 = bed->clientConfig();
  overIpv6.replace(overIpv6.find("192.168.77.1:51820"), 18, "[fd77::1]:51820");
  ASSERT_TRUE(client.call(startProfile(overIpv6)));
  ASSERT_TRUE(client.waitForStatus(kStatusConnecting, 10s));
  ASSERT_TRUE(client.waitForStatus(kStatusConnected, 30s)) << bed->daemonLog();
  EXPECT_EQ(runIn(bed->client().name(), {"curl", "-s", "--max-time", "5", "http://10.77.0.1:8080/ip"}).out, "10.77.0.2");
  ASSERT_TRUE(client.call(simple(Op::stop)));
  ASSERT_TRUE(client.waitForStatus(kStatusDisconnected, 10s));
  expectNothingLeft(*bed);
}

TEST(WireGuardEndToEnd, KilledDaemonIsCleanedUpAfterByTheNextOne) {
  std::string whyNot;
  auto bed = WireGuardTestbed::create(&whyNot);
  if (!bed) CORVANE_SKIP_OR_FAIL(whyNot);
  ASSERT_TRUE(bed->startDaemon());
  {
    TunneldClient client;
    ASSERT_TRUE(client.connect(bed->socketPath()));
    ASSERT_TRUE(client.call(simple(Op::subscribe)));
    ASSERT_TRUE(client.call(startProfile(bed->clientConfig())));
    ASSERT_TRUE(client.waitForStatus(kStatusConnected, 30s)) << bed->daemonLog();
  }
  bed->stopDaemon(SIGKILL);
  // The engine outlives its daemon; kill it too, as a crash of the whole service would.
  if (pid_t engine = bed->engineProcess()) kill(engine, SIGKILL);
  ASSERT_TRUE(bed->startDaemon());
  TunneldClient client;
  ASSERT_TRUE(client.connect(bed->socketPath()));
  auto status = client.call(simple(Op::status));
  ASSERT_TRUE(status && status->status);
  // No kill switch: the tunnel is not brought back, and the leftovers are gone before serving.
  EXPECT_EQ(status->status->status, kStatusDisconnected);
  expectNothingLeft(*bed);
}

// Kernel WireGuard has no program whose end tells that the tunnel is gone: the interface
// taken away under a connected tunnel must end it all the same, with the reason.
TEST(KernelWireGuard, AnInterfaceDeletedUnderTheTunnelEndsItWithTheReason) {
  if (!kernelWanted()) GTEST_SKIP() << "runs with CORVANE_WIREGUARD=kernel (tests/vm)";
  std::string whyNot;
  auto bed = WireGuardTestbed::create(&whyNot);
  if (!bed) CORVANE_SKIP_OR_FAIL(whyNot);
  ASSERT_TRUE(bed->startDaemon());
  TunneldClient client;
  ASSERT_TRUE(client.connect(bed->socketPath()));
  ASSERT_TRUE(client.call(simple(Op::subscribe)));
  ASSERT_TRUE(client.call(startProfile(bed->clientConfig())));
  ASSERT_TRUE(client.waitForStatus(kStatusConnected, 30s)) << bed->daemonLog();
  ASSERT_TRUE(runIn(bed->client().name(), {"ip", "link", "del", bed->clientInterface()}).ok);
  auto ended = client.waitForStatus([](const TunnelStatus& s) { return s.status == kStatusDisconnected && s.lastError; }, 10s);
  ASSERT_TRUE(ended) << bed->daemonLog();
  EXPECT_NE(ended->lastError->message.find("went down"), std::string::npos) << ended->lastError->message;
  expectNothingLeft(*bed);
}

// Where the kernel has no WireGuard, a start that insists on it fails with that reason
// instead of falling back to wireguard-go.
TEST(WireGuardChoice, ForcedKernelWireGuardThatCannotBeHadFailsTheStart) {
  std::string whyNot;
  auto bed = WireGuardTestbed::create(&whyNot);
  if (!bed) CORVANE_SKIP_OR_FAIL(whyNot);
  const auto& c = bed->client().name();
  if (runIn(c, {"ip", "link", "add", "cvprobe0", "type", "wireguard"}).ok) {
    runIn(c, {"ip", "link", "del", "cvprobe0"});
    GTEST_SKIP() << "this kernel has WireGuard";
  }
  ASSERT_TRUE(bed->startDaemon({"CORVANE_WIREGUARD=kernel"}));
  TunneldClient client;
  ASSERT_TRUE(client.connect(bed->socketPath()));
  ASSERT_TRUE(client.call(simple(Op::subscribe)));
  auto started = client.call(startProfile(bed->clientConfig()));
  ASSERT_TRUE(started);
  std::string message = started->error ? started->error->message : "";
  if (message.empty()) {
    auto ended = client.waitForStatus([](const TunnelStatus& s) { return s.status == kStatusDisconnected && s.lastError; }, 10s);
    ASSERT_TRUE(ended) << bed->daemonLog();
    message = ended->lastError->message;
  }
  EXPECT_NE(message.find("kernel WireGuard was asked for"), std::string::npos) << message;
  EXPECT_EQ(bed->engineProcess(), 0) << "wireguard-go started anyway";
  expectNothingLeft(*bed);
}

}  // namespace
}  // namespace corvane::daemon::testing
