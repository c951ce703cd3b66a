// OpenVPN through the daemon, for real: an openvpn server with a PKI made for the test in one
// namespace, the daemon in the other. Connects through the management interface's CONNECTED,
// carries TCP and UDP from the tunnel's address, takes the pushed DNS server, counts bytes,
// and leaves no interface, route or DNS change behind.
#include <gtest/gtest.h>

#include "daemon/support/command.h"
#include "daemon/support/engine_servers.h"
#include "daemon/support/proxy_testbed.h"
#include "daemon/support/skip_or_fail.h"
#include "daemon/support/tunneld_client.h"

namespace corvane::daemon::testing {
namespace {

using namespace std::chrono_literals;
using namespace platform::tunneld;

Request simple(Op op) {
  Request request;
  request.op = op;
  return request;
}

TEST(OpenVpnEndToEnd, ConnectsCarriesTakesPushedDnsCountsAndCleansUp) {
  std::string whyNot;
  auto bed = ProxyTestbed::create({"openvpn", "openssl"}, &whyNot);
  if (!bed) CORVANE_SKIP_OR_FAIL(whyNot);
  auto profile = startEngineServer(kOpenVpnServer, *bed);
  ASSERT_TRUE(profile) << bed->daemonLog();

  ASSERT_TRUE(bed->startDaemon());
  TunneldClient client;
  ASSERT_TRUE(client.connect(bed->socketPath())) << bed->daemonLog();
  ASSERT_TRUE(client.call(simple(Op::subscribe)));
  Request start = simple(Op::start);
  start.profile = Profile{"openvpn", *profile, "test"};
  auto started = client.call(start);
  ASSERT_TRUE(started && started->ok()) << (started && started->error ? started->error->message : "no answer");
  auto connected = client.waitForStatus(kStatusConnected, 30s);
  ASSERT_TRUE(connected) << bed->daemonLog();
  EXPECT_EQ(connected->engine, "openvpn");
  EXPECT_EQ(connected->interfaceName, bed->clientInterface());
  const std::string tunnelAddress = connected->tunnelAddress;
  EXPECT_EQ(tunnelAddress.rfind("10.8.0.", 0), 0u) << tunnelAddress;

  EXPECT_EQ(bed->echoOverTcp(), tunnelAddress) << bed->daemonLog();
  EXPECT_EQ(bed->echoOverUdp(), tunnelAddress);
  EXPECT_NE(run({"cat", bed->client().resolvConfPath()}).out.find("nameserver 10.79.0.1"), std::string::npos);
  EXPECT_TRUE(client.waitForTraffic([](const Traffic& t) { return t.rxBytes > 0 && t.txBytes > 0; }, 5s));

  ASSERT_TRUE(client.call(simple(Op::stop)));
  ASSERT_TRUE(client.waitForStatus(kStatusDisconnected, 10s));
  const auto& c = bed->client().name();
  EXPECT_FALSE(runIn(c, {"ip", "link", "show", bed->clientInterface()}).ok) << "the interface is still there";
  EXPECT_EQ(runIn(c, {"ip", "route"}).out.find("10.8.0."), std::string::npos);
  EXPECT_EQ(runIn(c, {"nft", "list", "tables"}).out.find("corvane"), std::string::npos);
  EXPECT_EQ(run({"cat", bed->client().resolvConfPath()}).out, ProxyTestbed::kResolvConf);
  EXPECT_EQ(bed->echoOverTcp(), "");
}

}  // namespace
}  // namespace corvane::daemon::testing
