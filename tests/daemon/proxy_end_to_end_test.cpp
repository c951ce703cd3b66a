// Shadowsocks and V2ray through the daemon, for real: the engine's server in one namespace,
// the daemon in the other, the host's TCP and UDP sent into the engine by the transparent
// table. Connects, carries both protocols (the UDP echo listens on port 53, so DNS takes the
// same way), counts the bytes, and leaves nothing behind.
#include <gtest/gtest.h>

#include <signal.h>

#include <ostream>

#include "daemon/support/command.h"
#include "daemon/support/engine_servers.h"
#include "daemon/support/proxy_testbed.h"
#include "daemon/support/skip_or_fail.h"
#include "daemon/support/tunneld_client.h"

namespace corvane::daemon::testing {
namespace {

using namespace std::chrono_literals;
using namespace platform::tunneld;

struct ProxyCase {
  EngineServer server;
  bool offersProxy;
};

void PrintTo(const ProxyCase& c, std::ostream* out) { *out << c.server.engine; }

const ProxyCase kCases[] = {{kShadowsocksServer, false}, {kV2rayServer, true}};

// The testbed with the engine's server running, and the client's configuration.
std::unique_ptr<ProxyTestbed> makeBed(const EngineServer& server, std::string* config, std::string* whyNot) {
  auto bed = ProxyTestbed::create({server.clientProgram, server.serverProgram}, whyNot);
  if (!bed) return nullptr;
  auto content = startEngineServer(server, *bed);
  if (!content) return *whyNot = "the engine's server did not start: " + bed->daemonLog(), nullptr;
  *config = *content;
  return bed;
}

Request simple(Op op) {
  Request request;
  request.op = op;
  return request;
}

void expectNothingLeft(const ProxyTestbed& bed) {
  const auto& c = bed.client().name();
  EXPECT_EQ(runIn(c, {"nft", "list", "tables"}).out.find("corvane"), std::string::npos);
  EXPECT_EQ(runIn(c, {"ip", "rule"}).out.find("32102"), std::string::npos);
  EXPECT_EQ(runIn(c, {"ip", "route", "show", "table", "51833"}).out, "");
  EXPECT_EQ(bed.echoOverTcp(), "") << "the target answers without a tunnel";
}

class ProxyEndToEnd : public ::testing::TestWithParam<ProxyCase> {};

TEST_P(ProxyEndToEnd, ConnectsCarriesTcpAndUdpCountsAndCleansUp) {
  const ProxyCase& c = GetParam();
  std::string whyNot, config;
  auto bed = makeBed(c.server, &config, &whyNot);
  if (!bed) CORVANE_SKIP_OR_FAIL(whyNot);
  EXPECT_EQ(bed->echoOverTcp(), "") << "the target must be reachable only through the tunnel";

  ASSERT_TRUE(bed->startDaemon());
  TunneldClient client;
  ASSERT_TRUE(client.connect(bed->socketPath())) << bed->daemonLog();
  ASSERT_TRUE(client.call(simple(Op::subscribe)));
  Request start = simple(Op::start);
  start.profile = Profile{c.server.engine, config, "test"};
  auto started = client.call(start);
  ASSERT_TRUE(started && started->ok()) << (started && started->error ? started->error->message : "no answer");
  auto connected = client.waitForStatus(kStatusConnected, 20s);
  ASSERT_TRUE(connected) << bed->daemonLog();
  EXPECT_EQ(connected->engine, c.server.engine);
  EXPECT_EQ(connected->proxy.has_value(), c.offersProxy);

  // The server's proxy reaches the target from the target's own address.
  std::string tcp;
  for (int attempt = 0; attempt < 3 && tcp.empty(); ++attempt) tcp = bed->echoOverTcp();
  EXPECT_EQ(tcp, ProxyTestbed::kTargetAddress) << bed->daemonLog();
  EXPECT_EQ(bed->echoOverUdp(), ProxyTestbed::kTargetAddress) << bed->daemonLog();
  if (connected->proxy) {
    auto viaSocks = runIn(bed->client().name(), {"curl", "-s", "--max-time", "5", "--socks5",
                                                 "127.0.0.1:" + std::to_string(connected->proxy->port),
                                                 "http://10.79.0.1:8080/ip"});
    EXPECT_EQ(viaSocks.out, ProxyTestbed::kTargetAddress);
  }
  EXPECT_TRUE(client.waitForTraffic([](const Traffic& t) { return t.rxBytes > 0 && t.txBytes > 0; }, 5s));

  ASSERT_TRUE(client.call(simple(Op::stop)));
  ASSERT_TRUE(client.waitForStatus(kStatusDisconnected, 10s));
  expectNothingLeft(*bed);
}

// A daemon killed with -9 leaves the engine's program running and its table in place; the
// next daemon removes both before it serves.
TEST_P(ProxyEndToEnd, KilledDaemonIsCleanedUpAfterByTheNextOne) {
  const ProxyCase& c = GetParam();
  std::string whyNot, config;
  auto bed = makeBed(c.server, &config, &whyNot);
  if (!bed) CORVANE_SKIP_OR_FAIL(whyNot);
  ASSERT_TRUE(bed->startDaemon());
  {
    TunneldClient client;
    ASSERT_TRUE(client.connect(bed->socketPath()));
    ASSERT_TRUE(client.call(simple(Op::subscribe)));
    Request start = simple(Op::start);
    start.profile = Profile{c.server.engine, config, "test"};
    ASSERT_TRUE(client.call(start));
    ASSERT_TRUE(client.waitForStatus(kStatusConnected, 20s)) << bed->daemonLog();
  }
  bed->stopDaemon(SIGKILL);
  const std::string runtime = (bed->scratch() / "state").string();
  EXPECT_NE(runIn(bed->client().name(), {"nft", "list", "tables"}).out.find("corvane_transparent"), std::string::npos);
  ASSERT_TRUE(bed->startDaemon());
  TunneldClient client;
  // The new daemon cleans up before it serves; on a loaded machine that takes a while.
  ASSERT_TRUE(client.connect(bed->socketPath(), 30s)) << bed->daemonLog();
  auto status = client.call(simple(Op::status));
  ASSERT_TRUE(status && status->status);
  EXPECT_EQ(status->status->status, kStatusDisconnected);
  expectNothingLeft(*bed);
  const auto engines = run({"pgrep", "-f", runtime});
  EXPECT_EQ(engines.out, "") << "an engine program of the killed daemon still runs";
}

INSTANTIATE_TEST_SUITE_P(Engines, ProxyEndToEnd, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return info.param.server.engine; });

}  // namespace
}  // namespace corvane::daemon::testing
