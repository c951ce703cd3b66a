// The scheduler the server list's probes go through: one echo per address, a cap on open
// sockets with the rest waiting their turn, lookups off the main loop, and a teardown that
// leaves nothing running. Real sockets on a loopback that never answers, in virtual time.
#include "ping/echo_scheduler.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "ping/support/manual_pinger_harness.h"
#include "platform/mainloop/asio/global_queue.h"

namespace corvane::ping {
namespace {

using platform::seconds;
using testing::probeSettings;

// The real factory, counting the sockets open at once.
class CountingSockets : public platform::IcmpSocketFactory {
 public:
  explicit CountingSockets(platform::IcmpSocketFactory& real) : real_(real) {}
  Result<std::unique_ptr<platform::IcmpSocket>> open(std::uint16_t identifier) override {
    auto opened = real_.open(identifier);
    if (!opened) return opened;
    ++opened_;
    peak_ = std::max(peak_.load(), ++open_);
    return std::unique_ptr<platform::IcmpSocket>(std::make_unique<Counted>(std::move(*opened), open_));
  }
  int open() const { return open_; }
  int opened() const { return opened_; }
  int peak() const { return peak_; }

 private:
  struct Counted : platform::IcmpSocket {
    Counted(std::unique_ptr<platform::IcmpSocket> s, std::atomic<int>& n) : inner(std::move(s)), count(n) {}
    ~Counted() override { --count; }
    int nativeHandle() const override { return inner->nativeHandle(); }
    bool isRaw() const override { return inner->isRaw(); }
    int setTimeToLive(int ttl) override { return inner->setTimeToLive(ttl); }
    platform::IcmpSendOutcome send(std::span<const std::uint8_t> m, const std::array<std::uint8_t, 16>& a,
                                   platform::Duration t) override {
      return inner->send(m, a, t);
    }
    std::optional<platform::IcmpDatagram> receive() override { return inner->receive(); }
    std::unique_ptr<platform::IcmpSocket> inner;
    std::atomic<int>& count;
  };
  platform::IcmpSocketFactory& real_;
  std::atomic<int> open_{0}, opened_{0}, peak_{0};
};

// A resolver whose lookups wait until released (a slow name server); every name is 127.0.0.9.
class GatedResolver : public platform::HostResolver {
 public:
  Result<std::vector<AddressRecord>> resolve(const std::string&) override {
    std::unique_lock lock(mutex_);
    ++started_;
    changed_.notify_all();
    changed_.wait(lock, [this] { return open_; });
    AddressRecord record(16, 0);
    record[0] = 2;  // AF_INET, little-endian sa_family_t
    record[4] = 127;
    record[7] = 9;
    return std::vector<AddressRecord>{record};
  }
  void release() {
    std::lock_guard lock(mutex_);
    open_ = true;
    changed_.notify_all();
  }
  int started() {
    std::lock_guard lock(mutex_);
    return started_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool open_ = false;
  int started_ = 0;
};

class EchoSchedulerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!harness.whyNot().empty()) GTEST_SKIP() << "needs a network namespace: " << harness.whyNot();
  }
  std::unique_ptr<EchoScheduler> make(std::size_t cap, platform::HostResolver& resolver,
                                      platform::Queue& queue) {
    EchoPingerServices services{harness.loop, counting, harness.services.makeSerialQueue,
                                &harness.lifecycle, platform::Log::null()};
    return std::make_unique<EchoScheduler>(std::move(services), resolver, queue, cap);
  }
  EchoScheduler::Answer count() {
    return [this](const PingResponse& r) {
      ++answers;
      if (r.error) ++timeouts;
    };
  }
  void settle() { harness.loop.runUntil([] { return false; }, std::chrono::milliseconds(100)); }

  testing::ManualPingerHarness harness{/*answering=*/false};
  CountingSockets counting{harness.sockets};
  GatedResolver gated;
  int answers = 0;
  int timeouts = 0;
};

TEST_F(EchoSchedulerTest, CapsOpenSocketsAndServesTheRestInTurn) {
  auto scheduler = make(3, gated, harness.callerQueue);
  for (int i = 2; i < 12; ++i) scheduler->ask("127.0.0." + std::to_string(i), probeSettings(), count());
  EXPECT_EQ(scheduler->active(), 3u);
  EXPECT_EQ(scheduler->waiting(), 7u);
  EXPECT_EQ(counting.open(), 3);
  // Each round of three ends with its 5 s time-out; four rounds answer all ten.
  for (int round = 0; round < 4; ++round) {
    harness.loop.advance(seconds(5.0));
    settle();
  }
  EXPECT_EQ(answers, 10);
  EXPECT_EQ(timeouts, 10);
  EXPECT_EQ(counting.peak(), 3);
  EXPECT_EQ(scheduler->active(), 0u);
  EXPECT_EQ(counting.open(), 0);
}

TEST_F(EchoSchedulerTest, OneEchoPerAddressAnswersEveryAsker) {
  auto scheduler = make(8, gated, harness.callerQueue);
  for (int i = 0; i < 3; ++i) scheduler->ask("127.0.0.2", probeSettings(), count());
  harness.loop.advance(seconds(2.0));
  scheduler->ask("127.0.0.2", probeSettings(), count());  // joins the echo in flight
  EXPECT_EQ(counting.opened(), 1);
  harness.loop.advance(seconds(3.0));
  settle();
  EXPECT_EQ(answers, 4);
  // Once answered, the next question is a new echo.
  scheduler->ask("127.0.0.2", probeSettings(), count());
  EXPECT_EQ(counting.opened(), 2);
}

TEST_F(EchoSchedulerTest, GoingAwayClosesEveryPingerAndAnswersNothing) {
  auto scheduler = make(2, gated, harness.callerQueue);
  for (int i = 2; i < 6; ++i) scheduler->ask("127.0.0." + std::to_string(i), probeSettings(), count());
  harness.loop.advance(seconds(1.0));
  scheduler.reset();
  settle();
  EXPECT_EQ(counting.open(), 0);
  harness.loop.advance(seconds(10.0));
  settle();
  EXPECT_EQ(answers, 0);
  EXPECT_EQ(counting.opened(), 2);
}

TEST_F(EchoSchedulerTest, NameLookupsWaitOffTheMainLoop) {
  platform::GlobalQueue pool(2);
  auto scheduler = make(4, gated, pool);
  scheduler->ask("slow.example", probeSettings(), count());
  scheduler->ask("127.0.0.2", probeSettings(), count());
  ASSERT_TRUE(harness.loop.runUntil([&] { return gated.started() == 1; }, std::chrono::seconds(3)));
  // The lookup hangs, and the loop still runs the literal address's echo to its end.
  harness.loop.advance(seconds(5.0));
  ASSERT_TRUE(harness.loop.runUntil([&] { return answers == 1; }, std::chrono::seconds(3)));
  EXPECT_EQ(scheduler->active(), 1u);
  gated.release();
  ASSERT_TRUE(harness.loop.runUntil([&] { return counting.opened() == 2; }, std::chrono::seconds(3)));
  harness.loop.advance(seconds(5.0));
  EXPECT_TRUE(harness.loop.runUntil([&] { return answers == 2; }, std::chrono::seconds(3)));
}

TEST_F(EchoSchedulerTest, GoingAwayWaitsForARunningLookup) {
  platform::GlobalQueue pool(1);
  auto scheduler = make(4, gated, pool);
  scheduler->ask("slow.example", probeSettings(), count());
  ASSERT_TRUE(harness.loop.runUntil([&] { return gated.started() == 1; }, std::chrono::seconds(3)));
  std::thread releaser([this] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    gated.release();
  });
  scheduler.reset();  // returns once the lookup is over; its result is dropped
  releaser.join();
  settle();
  EXPECT_EQ(counting.opened(), 0);
  EXPECT_EQ(answers, 0);
}

}  // namespace
}  // namespace corvane::ping
