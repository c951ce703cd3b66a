#include "platform/mainloop/manual/manual_loop.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/mainloop/manual/manual_queue.h"

namespace corvane::platform {
namespace {

using std::chrono::milliseconds;

long long msSince(TimePoint start, TimePoint t) {
  return std::chrono::duration_cast<milliseconds>(t - start).count();
}

struct OrderCase {
  const char* name;
  std::vector<std::pair<double, std::string>> schedule;  // delay in seconds, label
  double advanceBy;
  std::vector<std::string> expected;  // "label@ms" in run order
};

void PrintTo(const OrderCase& c, std::ostream* os) { *os << c.name; }

class ManualLoopOrder : public ::testing::TestWithParam<OrderCase> {};

TEST_P(ManualLoopOrder, RunsExactlyWhatFallsDueInOrderAtItsDueTime) {
  ManualLoop loop;
  const TimePoint start = loop.now();
  std::vector<std::string> ran;
  for (const auto& [delay, label] : GetParam().schedule) {
    loop.postAfter(seconds(delay), [&, label = label] {
      ran.push_back(label + "@" + std::to_string(msSince(start, loop.now())));
    });
  }
  loop.advance(seconds(GetParam().advanceBy));
  EXPECT_EQ(ran, GetParam().expected);
  EXPECT_EQ(loop.now(), start + seconds(GetParam().advanceBy));
}

INSTANTIATE_TEST_SUITE_P(
    Table, ManualLoopOrder,
    ::testing::Values(
        OrderCase{"DueTimeOrder",
                  {{1.5, "c"}, {0.5, "a"}, {1.0, "b"}},
                  2.0,
                  {"a@500", "b@1000", "c@1500"}},
        OrderCase{"TiesInPostOrder",
                  {{1.0, "x"}, {0.2, "first"}, {1.0, "y"}, {1.0, "z"}},
                  1.0,
                  {"first@200", "x@1000", "y@1000", "z@1000"}},
        OrderCase{"WindowEndIsInclusive", {{2.0, "at"}, {2.001, "after"}}, 2.0, {"at@2000"}},
        OrderCase{"NothingDue", {{3.0, "later"}}, 2.999, {}},
        OrderCase{"ZeroDelayRunsOnZeroAdvance", {{0.0, "p"}, {0.0, "q"}}, 0.0, {"p@0", "q@0"}},
        OrderCase{"NegativeDelayIsNow", {{-1.0, "n"}}, 0.0, {"n@0"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ManualLoop, TasksScheduledByTasksRunWhenTheyFallInsideTheWindow) {
  ManualLoop loop;
  const TimePoint start = loop.now();
  std::vector<std::string> ran;
  auto record = [&](std::string label) {
    ran.push_back(label + "@" + std::to_string(msSince(start, loop.now())));
  };
  loop.postAfter(seconds(1.0), [&] {
    record("outer");
    loop.postAfter(seconds(0.5), [&] { record("inner"); });
    loop.postAfter(seconds(1.5), [&] { record("beyond"); });
    loop.post([&] { record("posted"); });
  });
  loop.postAfter(seconds(1.2), [&] { record("sibling"); });

  EXPECT_EQ(loop.advance(seconds(2.0)), 4u);
  EXPECT_EQ(ran,
            (std::vector<std::string>{"outer@1000", "posted@1000", "sibling@1200", "inner@1500"}));
  EXPECT_EQ(loop.pendingCount(), 1u);
  loop.advance(seconds(0.5));
  EXPECT_EQ(ran.back(), "beyond@2500");
}

TEST(ManualLoop, RunPendingRunsOnlyWhatIsDueNowIncludingChains) {
  ManualLoop loop;
  std::vector<int> ran;
  loop.post([&] {
    ran.push_back(1);
    loop.post([&] { ran.push_back(2); });
  });
  loop.postAfter(seconds(0.001), [&] { ran.push_back(99); });
  EXPECT_EQ(loop.runPending(), 2u);
  EXPECT_EQ(ran, (std::vector<int>{1, 2}));
  EXPECT_EQ(loop.now(), TimePoint{});
}

TEST(ManualLoop, RepeatingTimerFiresOncePerIntervalUntilCancelledFromItsOwnTask) {
  ManualLoop loop;
  const TimePoint start = loop.now();
  std::vector<long long> at;
  TimerId id = 0;
  id = loop.postRepeating(seconds(1.0), [&] {
    at.push_back(msSince(start, loop.now()));
    if (at.size() == 3) {
      EXPECT_TRUE(loop.cancel(id));
    }
  });
  loop.advance(seconds(2.5));
  EXPECT_EQ(at, (std::vector<long long>{1000, 2000}));
  loop.advance(seconds(10));
  EXPECT_EQ(at, (std::vector<long long>{1000, 2000, 3000}));
  EXPECT_FALSE(loop.cancel(id));
  EXPECT_EQ(loop.pendingCount(), 0u);
}

TEST(ManualLoop, CancelReportsWhetherTheTaskWasStillPending) {
  ManualLoop loop;
  int ran = 0;
  const TimerId done = loop.postAfter(seconds(1), [&] { ++ran; });
  const TimerId pending = loop.postAfter(seconds(5), [&] { ++ran; });
  loop.advance(seconds(1));
  EXPECT_FALSE(loop.cancel(done)) << "already ran";
  EXPECT_TRUE(loop.cancel(pending));
  EXPECT_FALSE(loop.cancel(pending)) << "second cancel";
  EXPECT_FALSE(loop.cancel(12345)) << "never known";
  loop.advance(seconds(10));
  EXPECT_EQ(ran, 1);
}

TEST(ManualLoop, OneShotCancellingItselfOrALaterTieFromInsideItsTask) {
  ManualLoop loop;
  std::vector<std::string> ran;
  TimerId self = 0;
  TimerId tie = 0;
  self = loop.postAfter(seconds(1), [&] {
    ran.push_back("self");
    EXPECT_FALSE(loop.cancel(self)) << "a running one-shot has already run";
    EXPECT_TRUE(loop.cancel(tie));
  });
  tie = loop.postAfter(seconds(1), [&] { ran.push_back("tie"); });
  loop.advance(seconds(2));
  EXPECT_EQ(ran, (std::vector<std::string>{"self"}));
}

TEST(ManualLoop, PostsFromOtherThreadsRunOnTheNextRunInPostOrder) {
  ManualLoop loop;
  std::vector<int> ran;
  std::thread worker([&] {
    EXPECT_FALSE(loop.isLoopThread());
    for (int i = 0; i < 100; ++i) {
      loop.post([&ran, i] { ran.push_back(i); });
    }
  });
  worker.join();
  EXPECT_TRUE(ran.empty());
  loop.runPending();
  ASSERT_EQ(ran.size(), 100u);
  for (int i = 0; i < 100; ++i) {
    EXPECT_EQ(ran[i], i);
  }
  EXPECT_TRUE(loop.isLoopThread());
}

TEST(ManualLoop, TaskThatRepostsItselfForeverIsStoppedNotSpun) {
  ManualLoop loop;
  std::function<void()> again = [&] { loop.post(again); };
  loop.post(again);
  EXPECT_THROW(loop.runPending(), std::runtime_error);
}

class Pipe {
 public:
  Pipe() { EXPECT_EQ(::pipe(fds_), 0); }
  ~Pipe() {
    ::close(fds_[0]);
    ::close(fds_[1]);
  }
  int readEnd() const { return fds_[0]; }
  void put(char c) const { EXPECT_EQ(::write(fds_[1], &c, 1), 1); }
  char take() const {
    char c = 0;
    EXPECT_EQ(::read(fds_[0], &c, 1), 1);
    return c;
  }

 private:
  int fds_[2] = {-1, -1};
};

TEST(ManualLoop, WatchesRunOnPollAndOnAdvanceUntilUnwatched) {
  ManualLoop loop;
  Pipe pipe;
  std::string got;
  const WatchId id = loop.watchReadable(pipe.readEnd(), [&] { got += pipe.take(); });

  EXPECT_EQ(loop.pollWatches(milliseconds(0)), 0u) << "nothing written yet";
  pipe.put('a');
  EXPECT_EQ(loop.pollWatches(seconds(5)), 1u);
  pipe.put('b');
  loop.advance(Duration::zero());
  EXPECT_EQ(got, "ab");

  loop.unwatch(id);
  pipe.put('c');
  EXPECT_EQ(loop.pollWatches(milliseconds(1)), 0u);
  EXPECT_EQ(got, "ab");
}

TEST(ManualLoop, RunUntilPicksUpWorkFromOtherThreadsWithoutMovingTime) {
  ManualLoop loop;
  bool done = false;
  std::thread worker([&] { loop.post([&] { done = true; }); });
  EXPECT_TRUE(loop.runUntil([&] { return done; }, seconds(10)));
  worker.join();
  EXPECT_EQ(loop.now(), TimePoint{});
  EXPECT_FALSE(loop.runUntil([] { return false; }, milliseconds(1)));
}

TEST(ManualQueue, RunsTasksWhenTheLoopDoesAndDropsThemOnceGone) {
  ManualLoop loop;
  std::vector<std::string> ran;
  {
    ManualQueue queue(loop);
    queue.asyncAfter(seconds(1), [&] { ran.push_back("later"); });
    queue.async([&] { ran.push_back("now"); });
    EXPECT_TRUE(ran.empty());
    loop.advance(seconds(1));
    EXPECT_EQ(ran, (std::vector<std::string>{"now", "later"}));
    queue.async([&] { ran.push_back("orphan"); });
  }
  loop.advance(seconds(1));
  EXPECT_EQ(ran.size(), 2u);
}

}  // namespace
}  // namespace corvane::platform
