// The echo cycle in virtual time: replies, time-outs, target counts, stop and halt,
// background transitions and the 16-bit sequence wrap, on real datagram sockets in a
// namespace of the test's own.
#include <arpa/inet.h>
#include <gtest/gtest.h>

#include "ping/support/manual_pinger_harness.h"

namespace corvane::ping {
namespace {

using testing::ManualPingerHarness;
using testing::probeSettings;
using platform::seconds;

#define SKIP_WITHOUT(harness)                                          \
  if (!(harness).whyNot().empty()) {                                   \
    GTEST_SKIP() << "needs a network namespace: " << (harness).whyNot(); \
  }

class RecordingDelegate : public PingDelegate {
 public:
  void didReceive(const PingResponse& response) override { received.push_back(response); }
  std::vector<PingResponse> received;
};

TEST(PingerLifecycle, OneReplyThenHaltWithResultAndReportsInOrder) {
  ManualPingerHarness h(/*answering=*/true);
  SKIP_WITHOUT(h);
  auto pinger = h.make(probeSettings());
  ASSERT_TRUE(pinger) << pinger.error().description();
  auto delegate = std::make_shared<RecordingDelegate>();
  (*pinger)->setDelegate(delegate);
  (*pinger)->setTargetCount(1);
  ASSERT_FALSE((*pinger)->startPinging());
  ASSERT_TRUE(h.waitForReports(1));

  const PingResponse r = h.observed().at(0);
  EXPECT_FALSE(r.error) << r.error->description();
  EXPECT_EQ(r.identifier, (*pinger)->identifier());
  EXPECT_EQ(r.ipAddress, "127.0.0.1");
  EXPECT_EQ(r.sequenceNumber, 0);
  EXPECT_EQ(r.trueSequenceNumber, 0u);
  EXPECT_EQ(r.byteCount, 44);  // rebuilt 20-byte header + 24-byte echo
  ASSERT_TRUE(r.ipHeader);
  EXPECT_EQ(r.ipHeader->versionAndHeaderLength, 0x45);
  EXPECT_EQ(r.ipHeader->protocol, 1);
  EXPECT_EQ(r.ipHeader->timeToLive, 64);
  EXPECT_EQ(ntohs(r.ipHeader->totalLength), 44);
  EXPECT_EQ(r.ipHeader->sourceAddress, (std::array<std::uint8_t, 4>{127, 0, 0, 1}));
  EXPECT_EQ(r.ipHeader->destinationAddress, (std::array<std::uint8_t, 4>{127, 0, 0, 1}));

  // Halted: socket closed, time-out cancelled, nothing left queued; the result counts the
  // echo although the halt reset the sequence.
  EXPECT_FALSE((*pinger)->hasSocket());
  EXPECT_EQ((*pinger)->sequenceIndex(), 0);
  ASSERT_EQ(h.results().size(), 1u);
  EXPECT_EQ(h.results()[0].packetsTransmitted, 1u);
  EXPECT_EQ(h.results()[0].packetsReceived, 1u);
  ASSERT_EQ(delegate->received.size(), 1u);
  EXPECT_EQ(delegate->received[0].sequenceNumber, 0);
  h.loop.advance(seconds(60));
  EXPECT_EQ(h.observed().size(), 1u);

  // Starting again reopens the socket and numbers from 0; a delegate that went is skipped.
  delegate.reset();
  ASSERT_FALSE((*pinger)->startPinging());
  EXPECT_TRUE((*pinger)->hasSocket());
  ASSERT_TRUE(h.waitForReports(2));
  EXPECT_FALSE(h.observed()[1].error);
  EXPECT_EQ(h.observed()[1].sequenceNumber, 0);
}

TEST(PingerLifecycle, NoReplyTimesOutAfterTimeoutIntervalThenHalts) {
  ManualPingerHarness h(/*answering=*/false);
  SKIP_WITHOUT(h);
  auto pinger = h.make(probeSettings());
  ASSERT_TRUE(pinger);
  (*pinger)->setTargetCount(1);
  ASSERT_FALSE((*pinger)->startPinging());
  h.loop.advance(seconds(4.999));
  EXPECT_TRUE(h.observed().empty());
  EXPECT_TRUE((*pinger)->isPinging());
  h.loop.advance(seconds(0.001));
  ASSERT_EQ(h.observed().size(), 1u);
  EXPECT_EQ(h.observed()[0].error, PingError(PingError::Case::responseTimeout));
  EXPECT_NEAR(h.observed()[0].duration, 5.0, 1e-6);
  EXPECT_FALSE(h.observed()[0].byteCount);
  EXPECT_FALSE((*pinger)->hasSocket());
  ASSERT_EQ(h.results().size(), 1u);
  EXPECT_EQ(h.results()[0].packetsTransmitted, 1u);
  EXPECT_EQ(h.results()[0].packetsReceived, 0u);
  EXPECT_FALSE(h.results()[0].roundtrip);
}

TEST(PingerLifecycle, TargetWithoutHaltFinishesOnceAndKeepsTheSocket) {
  ManualPingerHarness h(/*answering=*/false);
  SKIP_WITHOUT(h);
  auto config = probeSettings();
  config.haltAfterTarget = false;
  config.timeoutInterval = 1.0;
  auto pinger = h.make(config);
  ASSERT_TRUE(pinger);
  (*pinger)->setTargetCount(3);
  ASSERT_FALSE((*pinger)->startPinging());
  // Each echo: 1.0 s to time out, then 0.5 s until the next request.
  h.loop.advance(seconds(1.0));
  EXPECT_EQ(h.observed().size(), 1u);
  h.loop.advance(seconds(1.5));
  EXPECT_EQ(h.observed().size(), 2u);
  h.loop.advance(seconds(1.5));
  ASSERT_EQ(h.observed().size(), 3u);
  ASSERT_EQ(h.results().size(), 1u);
  EXPECT_EQ(h.results()[0].packetsTransmitted, 3u);
  EXPECT_EQ(h.results()[0].responses.size(), 3u);

  h.loop.advance(seconds(60));
  EXPECT_EQ(h.observed().size(), 3u) << "no fourth request";
  EXPECT_FALSE((*pinger)->isPinging());
  EXPECT_TRUE((*pinger)->hasSocket());
  EXPECT_EQ(h.loop.pendingCount(), 0u);
}

TEST(PingerLifecycle, StopSilencesTheLaterTimeOutButRecordsIt) {
  ManualPingerHarness h(/*answering=*/false);
  SKIP_WITHOUT(h);
  auto pinger = h.make(probeSettings());
  ASSERT_TRUE(pinger);
  ASSERT_FALSE((*pinger)->startPinging());
  h.loop.advance(seconds(1));
  (*pinger)->stopPinging(false);
  h.loop.runPending();
  ASSERT_EQ(h.results().size(), 1u);
  EXPECT_EQ(h.results()[0].packetsTransmitted, 0u);
  EXPECT_TRUE((*pinger)->hasSocket());

  h.loop.advance(seconds(10));
  EXPECT_TRUE(h.observed().empty());
  ASSERT_EQ((*pinger)->responses().size(), 1u);
  EXPECT_EQ((*pinger)->responses()[0].error, PingError(PingError::Case::responseTimeout));
  EXPECT_EQ(h.loop.pendingCount(), 0u) << "a stopped pinger schedules nothing";
}

TEST(PingerLifecycle, RestartAfterStopIsNotCutShortByTheOldTimer) {
  ManualPingerHarness h(/*answering=*/false);
  SKIP_WITHOUT(h);
  auto pinger = h.make(probeSettings());
  ASSERT_TRUE(pinger);
  ASSERT_FALSE((*pinger)->startPinging());
  h.loop.advance(seconds(3));
  (*pinger)->stopPinging(true);
  ASSERT_FALSE((*pinger)->startPinging());
  // The first echo's timer would have fired at 5 s; the new echo times out at 3 + 5 s.
  h.loop.advance(seconds(4.9));
  EXPECT_TRUE(h.observed().empty());
  h.loop.advance(seconds(0.1));
  ASSERT_EQ(h.observed().size(), 1u);
  EXPECT_NEAR(h.observed()[0].duration, 5.0, 1e-6);
}

TEST(PingerLifecycle, BackgroundHaltsAndForegroundResumesTheSequence) {
  ManualPingerHarness h(/*answering=*/false);
  SKIP_WITHOUT(h);
  auto pinger = h.make(probeSettings());
  ASSERT_TRUE(pinger);
  ASSERT_FALSE((*pinger)->startPinging());
  h.loop.advance(seconds(5.5));  // echo 0 timed out, echo 1 in flight
  ASSERT_EQ(h.observed().size(), 1u);
  EXPECT_EQ((*pinger)->sequenceIndex(), 1);

  h.lifecycle.postDidEnterBackground();
  EXPECT_FALSE((*pinger)->hasSocket());
  h.loop.advance(seconds(30));
  EXPECT_EQ(h.observed().size(), 1u) << "nothing while in the background";
  ASSERT_EQ(h.results().size(), 1u);
  EXPECT_EQ(h.results()[0].packetsTransmitted, 1u);

  h.lifecycle.postDidBecomeActive();
  EXPECT_TRUE((*pinger)->hasSocket());
  EXPECT_TRUE((*pinger)->isPinging());
  h.loop.advance(seconds(5));
  ASSERT_EQ(h.observed().size(), 2u);
  EXPECT_EQ(h.observed()[1].sequenceNumber, 1) << "the sequence continues where it stopped";
  EXPECT_EQ(h.observed()[1].trueSequenceNumber, 1u);
}

TEST(PingerLifecycle, BackgroundLeavesStoppedAndUninterestedPingersAlone) {
  ManualPingerHarness h(/*answering=*/false);
  SKIP_WITHOUT(h);
  auto config = probeSettings();
  config.handleBackgroundTransitions = false;
  auto uninterested = h.make(config);
  auto stopped = h.make(probeSettings());
  ASSERT_TRUE(uninterested && stopped);
  ASSERT_FALSE((*uninterested)->startPinging());
  ASSERT_FALSE((*stopped)->startPinging());
  (*stopped)->haltPinging();
  h.loop.runPending();

  h.lifecycle.postDidEnterBackground();
  h.lifecycle.postDidBecomeActive();
  EXPECT_TRUE((*uninterested)->isPinging());
  EXPECT_TRUE((*uninterested)->hasSocket());
  EXPECT_FALSE((*stopped)->hasSocket()) << "a pinger its owner halted does not come back";
  EXPECT_FALSE((*stopped)->isPinging());
  EXPECT_EQ(h.results().size(), 1u) << "only the owner's halt finished a pinger";
}

TEST(PingerLifecycle, SendFailureIsReportedOnceAndCountsTowardsTheTarget) {
  ManualPingerHarness h(/*answering=*/true);
  SKIP_WITHOUT(h);
  // The namespace has loopback only: no route to this address, so the send itself fails.
  auto pinger = h.make(probeSettings(), "10.9.9.9");
  ASSERT_TRUE(pinger);
  (*pinger)->setTargetCount(2);
  ASSERT_FALSE((*pinger)->startPinging());
  h.loop.advance(seconds(0.5));  // first send fails, second after 0.5 s fails
  h.loop.advance(seconds(30));   // past every time-out the failed echoes once armed
  const auto observed = h.observed();
  ASSERT_EQ(observed.size(), 2u);
  for (std::size_t i = 0; i < observed.size(); ++i) {
    EXPECT_EQ(observed[i].error, PingError(PingError::Case::requestError)) << i;
    EXPECT_EQ(observed[i].sequenceNumber, i);
    EXPECT_LT(observed[i].duration, 0.001);
  }
  EXPECT_FALSE((*pinger)->hasSocket());
  ASSERT_EQ(h.results().size(), 1u);
  EXPECT_EQ(h.results()[0].packetsTransmitted, 2u);
}

TEST(PingerLifecycle, SequenceWrapsAfter65535AndTheTrueCountGoesOn) {
  ManualPingerHarness h(/*answering=*/false);
  SKIP_WITHOUT(h);
  auto config = probeSettings();
  config.pingInterval = 0;
  config.timeoutInterval = 0.001;
  config.handleBackgroundTransitions = false;
  auto pinger = h.make(config);
  ASSERT_TRUE(pinger);
  // Above every 16-bit index, so never reached.
  (*pinger)->setTargetCount(65536);
  ASSERT_FALSE((*pinger)->startPinging());
  constexpr std::size_t kEchoes = 65538;
  for (int second = 0; second < 100 && h.observed().size() < kEchoes; ++second) {
    h.loop.advance(seconds(1));
  }
  const auto observed = h.observed();
  ASSERT_GE(observed.size(), kEchoes);
  EXPECT_EQ(observed[65535].sequenceNumber, 65535);
  EXPECT_EQ(observed[65536].sequenceNumber, 0);
  EXPECT_EQ(observed[65536].trueSequenceNumber, 65536u);
  EXPECT_EQ(observed[65537].sequenceNumber, 1);
  EXPECT_TRUE((*pinger)->hasSocket()) << "a target above 65535 is never reached";
  EXPECT_TRUE(h.results().empty());
}

TEST(PingerCreation, RefusedTimeToLiveFailsWithTheOptionResult) {
  ManualPingerHarness h(/*answering=*/true);
  SKIP_WITHOUT(h);
  for (int ttl : {0, 256, -2}) {
    auto config = probeSettings();
    config.timeToLive = ttl;
    auto pinger = h.make(config);
    ASSERT_FALSE(pinger) << ttl;
    EXPECT_EQ(pinger.error(), PingError::socketOptionsSetError(-1)) << ttl;
  }
  auto config = probeSettings();
  config.timeToLive = 1;
  EXPECT_TRUE(h.make(config));
}

TEST(PingerCreation, AddressTextMustBeADottedQuad) {
  ManualPingerHarness h(/*answering=*/true);
  SKIP_WITHOUT(h);
  for (const char* text : {"", "localhost", "10.0.0.1:8443", "300.1.1.1"}) {
    auto pinger = h.make(probeSettings(), text);
    ASSERT_FALSE(pinger) << text;
    EXPECT_EQ(pinger.error(), PingError(PingError::Case::hostNotFound)) << text;
  }
}

}  // namespace
}  // namespace corvane::ping
