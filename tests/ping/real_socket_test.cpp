// Echoes over real sockets on the programs' main loop: the raw fallback as root on this
// host's loopback, the unprivileged datagram socket inside a namespace whose
// ping_group_range lets every group in, many pingers at once, and a measured delay against
// the system ping.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <regex>

#include "corvane/build_config.h"
#include "ping/support/namespaces.h"
#include "ping/support/real_pinger_harness.h"

namespace corvane::ping {
namespace {

using platform::LinuxIcmpSocketFactory;
using testing::DelayedPeer;
using testing::EnterNamespace;
using testing::NetworkNamespace;
using testing::RealPingerHarness;

PingConfiguration quickSettings(double interval = 0.02) {
  PingConfiguration c;
  c.pingInterval = interval;
  c.timeoutInterval = 2.0;
  c.handleBackgroundTransitions = false;
  c.payloadSize = 16;
  c.haltAfterTarget = true;
  return c;
}

// Whether this process's group may open ICMP datagram sockets in the current namespace.
bool datagramAllowedHere() {
  std::ifstream range("/proc/sys/net/ipv4/ping_group_range");
  long low = 1, high = 0;
  range >> low >> high;
  const long gid = static_cast<long>(getgid());
  return low <= gid && gid <= high;
}

// Where the pingers run: this host as it is, or a namespace of the test's own with
// ping_group_range opened.
enum class Place { host, namespaceWithPingGroup };

struct PlaceCase {
  const char* name;
  Place place;
};

class RealSockets : public ::testing::TestWithParam<PlaceCase> {
 protected:
  void SetUp() override {
    if (GetParam().place == Place::namespaceWithPingGroup) {
      ns_ = std::make_unique<NetworkNamespace>("real");
      if (!ns_->ok() || !ns_->openPingGroupRange()) {
        GTEST_SKIP() << "needs a network namespace (root and iproute2)";
      }
      entered_ = std::make_unique<EnterNamespace>(*ns_);
      ASSERT_TRUE(entered_->ok());
      ASSERT_TRUE(datagramAllowedHere());
    } else if (!datagramAllowedHere() && geteuid() != 0) {
      GTEST_SKIP() << "neither ICMP datagram sockets (ping_group_range) nor root for raw ones";
    }
  }
  void TearDown() override {
    harness_.reset();
    entered_.reset();
    ns_.reset();
  }

  RealPingerHarness& harness() {
    if (!harness_) harness_ = std::make_unique<RealPingerHarness>();
    return *harness_;
  }

  std::unique_ptr<NetworkNamespace> ns_;
  std::unique_ptr<EnterNamespace> entered_;
  std::unique_ptr<RealPingerHarness> harness_;
};

TEST_P(RealSockets, FactoryFallsBackToRawOnlyWhenDatagramSocketsAreRefused) {
  LinuxIcmpSocketFactory factory;
  auto socket = factory.open(4242);
  ASSERT_TRUE(socket) << socket.error().toString();
  EXPECT_EQ((*socket)->isRaw(), !datagramAllowedHere());
  // The datagram kind holds its identifier: a second socket on it is refused, not shared.
  if (!(*socket)->isRaw()) {
    auto second = factory.open(4242);
    ASSERT_FALSE(second);
    EXPECT_EQ(second.error().code, EADDRINUSE);
  }
}

TEST_P(RealSockets, ThreeEchoesToLoopback) {
  auto pinger = harness().make("127.0.0.1", quickSettings());
  ASSERT_TRUE(pinger) << pinger.error().description();
  (*pinger)->setTargetCount(3);
  ASSERT_FALSE((*pinger)->startPinging());
  ASSERT_TRUE(harness().waitForReports(3, std::chrono::seconds(5)));
  const auto reports = harness().reportsOf(*pinger);
  ASSERT_EQ(reports.size(), 3u);
  for (std::size_t i = 0; i < reports.size(); ++i) {
    const auto& r = reports[i];
    EXPECT_FALSE(r.error) << r.error->description();
    EXPECT_EQ(r.sequenceNumber, i);
    EXPECT_EQ(r.byteCount, 44);
    ASSERT_TRUE(r.ipHeader);
    EXPECT_EQ(r.ipHeader->timeToLive, 64);
    EXPECT_EQ(r.ipHeader->protocol, 1);
    EXPECT_GT(r.duration, 0);
    EXPECT_LT(r.duration, 0.1);
  }
  EXPECT_FALSE((*pinger)->hasSocket());
}

TEST_P(RealSockets, TwoHundredPingersEachGetExactlyTheirOwnReply) {
  constexpr int kPingers = 200;
  std::vector<std::shared_ptr<EchoPinger>> pingers;
  for (int i = 0; i < kPingers; ++i) {
    const std::string address = "127.1." + std::to_string(i / 250) + "." + std::to_string(1 + i % 250);
    auto pinger = harness().make(address, quickSettings());
    ASSERT_TRUE(pinger) << address << ": " << pinger.error().description();
    (*pinger)->setTargetCount(1);
    pingers.push_back(*pinger);
  }
  for (auto& pinger : pingers) {
    ASSERT_FALSE(pinger->startPinging());
  }
  ASSERT_TRUE(harness().waitForReports(kPingers, std::chrono::seconds(10)))
      << harness().totalReports() << " of " << kPingers;
  harness().loop.runFor(std::chrono::milliseconds(100));  // a stray second report would show

  for (const auto& pinger : pingers) {
    const auto reports = harness().reportsOf(pinger);
    ASSERT_EQ(reports.size(), 1u) << pinger->destination().host;
    EXPECT_FALSE(reports[0].error) << pinger->destination().host << ": "
                                   << reports[0].error->description();
    ASSERT_TRUE(reports[0].ipHeader);
    const auto& source = reports[0].ipHeader->sourceAddress;
    const std::string from = std::to_string(source[0]) + "." + std::to_string(source[1]) + "." +
                             std::to_string(source[2]) + "." + std::to_string(source[3]);
    EXPECT_EQ(from, pinger->destination().host) << "a reply from another pinger's host";
  }
}

INSTANTIATE_TEST_SUITE_P(Places, RealSockets,
                         ::testing::Values(PlaceCase{"Host", Place::host},
                                           PlaceCase{"NamespaceWithPingGroup",
                                                     Place::namespaceWithPingGroup}),
                         [](const auto& info) { return std::string(info.param.name); });

// The round trips the system ping printed, one per "time=... ms", in milliseconds.
std::vector<double> systemPingTimes(const std::string& output) {
  std::vector<double> times;
  static const std::regex time(R"(time=([0-9.]+) ms)");
  for (auto it = std::sregex_iterator(output.begin(), output.end(), time);
       it != std::sregex_iterator(); ++it) {
    times.push_back(std::stod((*it)[1]));
  }
  return times;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

TEST(DelayedPeer, FortyMillisecondsMeasuredLikeTheSystemPing) {
  if (!testing::installed("ping")) {
    GTEST_SKIP() << "the system ping (iputils-ping) is not installed";
  }
  std::string whyNot;
  auto peer = DelayedPeer::create(std::string(build::kBinaryDir) + "/delayed_echo_responder", 40,
                                  &whyNot);
  if (!peer) GTEST_SKIP() << whyNot;

  // Medians: on a shared machine one echo may be held up by the scheduler, on either side.
  constexpr int kEchoes = 7;
  const std::string output =
      testing::runCommand(testing::withWords(peer->near().exec(), "ping -n -c " + std::to_string(kEchoes) +
                                                                      " -i 0.2 " + DelayedPeer::kFarAddress))
          .out;
  const auto systemTimes = systemPingTimes(output);
  ASSERT_EQ(systemTimes.size(), static_cast<std::size_t>(kEchoes)) << output;

  RealPingerHarness harness;
  std::shared_ptr<EchoPinger> pinger;
  {
    EnterNamespace entered(peer->near());
    ASSERT_TRUE(entered.ok());
    auto created = harness.make(DelayedPeer::kFarAddress, quickSettings(0.2));
    ASSERT_TRUE(created) << created.error().description();
    pinger = *created;
  }
  pinger->setTargetCount(kEchoes);
  ASSERT_FALSE(pinger->startPinging());
  ASSERT_TRUE(harness.waitForReports(kEchoes, std::chrono::seconds(10)));

  std::vector<double> ours;
  for (const auto& r : harness.reportsOf(pinger)) {
    ASSERT_FALSE(r.error) << r.error->description();
    EXPECT_GE(r.duration * 1000, 40.0) << "faster than the responder's delay";
    ours.push_back(r.duration * 1000);
  }
  EXPECT_NEAR(median(ours), median(systemTimes), 1.0)
      << "ours " << median(ours) << " ms, ping " << median(systemTimes) << " ms";
}

}  // namespace
}  // namespace corvane::ping
