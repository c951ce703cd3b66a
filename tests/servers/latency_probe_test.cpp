#include "servers/latency_probe.h"

#include <gtest/gtest.h>

#include <atomic>

#include "ping/support/manual_pinger_harness.h"
#include "platform/host/linux/getaddrinfo_host_resolver.h"
#include "screenkit/latency_services.h"

namespace corvane::servers {
namespace {

using platform::seconds;

TEST(LatencyProbe, HostPartDropsThePort) {
  const std::pair<std::string, std::string> cases[] = {{"10.0.0.1:8443", "10.0.0.1"},
                                                       {"10.0.0.1", "10.0.0.1"},
                                                       {"vpn.example.org:443", "vpn.example.org"},
                                                       {":1", ""},
                                                       {"", ""}};
  for (const auto& [ip, host] : cases) EXPECT_EQ(LatencyProbe::hostPart(ip), host) << ip;
}

TEST(LatencyProbe, OneEchoWithTheRowSettings) {
  const auto c = LatencyProbe::configuration();
  EXPECT_EQ(c.pingInterval, 0.5);
  EXPECT_EQ(c.timeoutInterval, 5.0);
  EXPECT_TRUE(c.handleBackgroundTransitions);
  EXPECT_EQ(c.timeToLive, std::nullopt);
  EXPECT_EQ(c.payloadSize, 16);
  EXPECT_TRUE(c.haltAfterTarget);
}

class LatencyProbeEcho : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!harness.whyNot().empty()) GTEST_SKIP() << "needs a network namespace: " << harness.whyNot();
  }
  ping::testing::ManualPingerHarness harness{/*answering=*/true};
  platform::GetaddrinfoHostResolver resolver;
  LatencyServices services{harness.services, resolver, harness.callerQueue};
  std::atomic<int> reports{0};
  std::atomic<double> lastSeconds{-1};
  std::function<void(double)> report = [this](double s) {
    lastSeconds = s;
    ++reports;
  };
};

TEST_F(LatencyProbeEcho, StartsOneSecondAfterTheRowAppearsAndReportsOnce) {
  LatencyProbe probe(harness.loop, services, "127.0.0.1:8443", report);
  harness.loop.advance(seconds(0.999));
  EXPECT_FALSE(probe.started());
  harness.loop.advance(seconds(0.001));
  EXPECT_TRUE(probe.started());
  ASSERT_TRUE(harness.loop.runUntil([&] { return reports > 0; }, std::chrono::seconds(3)));
  EXPECT_GE(lastSeconds.load(), 0.0);
  EXPECT_LT(lastSeconds.load(), 1.0);
  // The pinger halts after its one echo: nothing more arrives, even much later.
  harness.loop.advance(seconds(10));
  harness.loop.runUntil([] { return false; }, std::chrono::milliseconds(200));
  EXPECT_EQ(reports.load(), 1);
}

TEST_F(LatencyProbeEcho, GoneBeforeItsStartProbesNothing) {
  {
    LatencyProbe probe(harness.loop, services, "127.0.0.1", report);
  }
  harness.loop.advance(seconds(2));
  harness.loop.runUntil([] { return false; }, std::chrono::milliseconds(200));
  EXPECT_EQ(reports.load(), 0);
}

}  // namespace
}  // namespace corvane::servers
