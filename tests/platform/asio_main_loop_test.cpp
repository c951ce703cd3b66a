#include "platform/mainloop/asio/asio_main_loop.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace corvane::platform {
namespace {

using std::chrono::milliseconds;

// Generous: only a hang reaches it.
constexpr Duration kLimit = seconds(20);

bool isOpen(int fd) { return ::fcntl(fd, F_GETFD) != -1; }

TEST(AsioMainLoop, PostsFromManyThreadsAllRunOnTheLoopInEachThreadsOrder) {
  AsioMainLoop loop;
  constexpr int kThreads = 8;
  constexpr int kEach = 500;
  std::vector<std::vector<int>> seen(kThreads);
  int total = 0;
  bool offLoop = false;
  std::vector<std::thread> producers;
  for (int t = 0; t < kThreads; ++t) {
    producers.emplace_back([&, t] {
      for (int i = 0; i < kEach; ++i) {
        loop.post([&, t, i] {
          offLoop = offLoop || !loop.isLoopThread();
          seen[t].push_back(i);
          ++total;
        });
      }
    });
  }
  ASSERT_TRUE(loop.runUntil([&] { return total == kThreads * kEach; }, kLimit));
  for (auto& producer : producers) {
    producer.join();
  }
  EXPECT_FALSE(offLoop);
  for (const auto& s : seen) {
    ASSERT_EQ(s.size(), static_cast<std::size_t>(kEach));
    EXPECT_TRUE(std::is_sorted(s.begin(), s.end()));
  }
}

TEST(AsioMainLoop, TimersFireInDeadlineOrderAndCancelledOnesNever) {
  AsioMainLoop loop;
  std::vector<std::string> ran;
  loop.postAfter(milliseconds(30), [&] { ran.push_back("c"); });
  loop.postAfter(milliseconds(10), [&] { ran.push_back("a"); });
  const TimerId dropped = loop.postAfter(milliseconds(15), [&] { ran.push_back("dropped"); });
  loop.postAfter(milliseconds(20), [&] { ran.push_back("b"); });
  EXPECT_TRUE(loop.cancel(dropped));
  EXPECT_FALSE(loop.cancel(dropped));
  ASSERT_TRUE(loop.runUntil([&] { return ran.size() == 3; }, kLimit));
  EXPECT_EQ(ran, (std::vector<std::string>{"a", "b", "c"}));
}

TEST(AsioMainLoop, RepeatingTimerCancelledFromItsOwnTaskNeverFiresAgain) {
  AsioMainLoop loop;
  int ticks = 0;
  bool cancelResult = false;
  TimerId id = 0;
  id = loop.postRepeating(milliseconds(1), [&] {
    if (++ticks == 3) {
      cancelResult = loop.cancel(id);
    }
  });
  ASSERT_TRUE(loop.runUntil([&] { return ticks == 3; }, kLimit));
  EXPECT_TRUE(cancelResult);
  // Give a stray fourth tick every chance to show up.
  bool waited = false;
  loop.postAfter(milliseconds(20), [&] { waited = true; });
  ASSERT_TRUE(loop.runUntil([&] { return waited; }, kLimit));
  EXPECT_EQ(ticks, 3);
  EXPECT_FALSE(loop.cancel(id));
}

TEST(AsioMainLoop, CancelFromAnotherThreadEitherWinsOrTheTaskRanNeverBoth) {
  AsioMainLoop loop;
  constexpr int kTimers = 300;
  std::vector<TimerId> ids(kTimers);
  std::vector<char> ran(kTimers, 0);
  std::vector<char> cancelled(kTimers, 0);
  std::atomic<int> cancellerDone{0};
  for (int i = 0; i < kTimers; ++i) {
    ids[i] = loop.postAfter(std::chrono::microseconds(i * 10), [&ran, i] { ran[i] = 1; });
  }
  std::thread canceller([&] {
    for (int i = kTimers - 1; i >= 0; --i) {
      cancelled[i] = loop.cancel(ids[i]) ? 1 : 0;
    }
    loop.post([&] { cancellerDone = 1; });
  });
  // Run until the canceller is done and every timer's deadline (at most 3 ms) has passed.
  bool settled = false;
  loop.postAfter(milliseconds(5), [&] { settled = true; });
  ASSERT_TRUE(loop.runUntil([&] { return cancellerDone == 1 && settled; }, kLimit));
  canceller.join();
  loop.runFor(milliseconds(5));
  for (int i = 0; i < kTimers; ++i) {
    EXPECT_NE(ran[i], cancelled[i]) << "timer " << i << " ran=" << int(ran[i]);
  }
}

TEST(AsioMainLoop, WatchesAPipeAndNeverClosesTheDescriptor) {
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  std::string got;
  {
    AsioMainLoop loop;
    WatchId id = 0;
    id = loop.watchReadable(fds[0], [&] {
      char c;
      ASSERT_EQ(::read(fds[0], &c, 1), 1);
      got += c;
      if (got.size() == 3) {
        loop.unwatch(id);
      }
    });
    std::thread writer([&] {
      for (char c : std::string("xyz!")) {
        ASSERT_EQ(::write(fds[1], &c, 1), 1);
      }
    });
    ASSERT_TRUE(loop.runUntil([&] { return got.size() == 3; }, kLimit));
    writer.join();
    loop.runFor(milliseconds(10));
    EXPECT_EQ(got, "xyz") << "no callback after unwatch, though '!' is unread";
    EXPECT_TRUE(isOpen(fds[0]));

    // A second watch, still live when the loop goes away.
    loop.watchReadable(fds[0], [] {});
    loop.runFor(milliseconds(1));
  }
  EXPECT_TRUE(isOpen(fds[0]));
  char c;
  EXPECT_EQ(::read(fds[0], &c, 1), 1);
  EXPECT_EQ(c, '!');
  ::close(fds[0]);
  ::close(fds[1]);
}

TEST(AsioMainLoop, UnwatchFromAnotherThreadStopsCallbacks) {
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  AsioMainLoop loop;
  int calls = 0;
  const WatchId id = loop.watchReadable(fds[0], [&] {
    char c;
    ASSERT_EQ(::read(fds[0], &c, 1), 1);
    ++calls;
  });
  ASSERT_EQ(::write(fds[1], "a", 1), 1);
  ASSERT_TRUE(loop.runUntil([&] { return calls == 1; }, kLimit));
  std::thread([&] { loop.unwatch(id); }).join();
  ASSERT_EQ(::write(fds[1], "b", 1), 1);
  loop.runFor(milliseconds(10));
  EXPECT_EQ(calls, 1);
  EXPECT_TRUE(isOpen(fds[0]));
  ::close(fds[0]);
  ::close(fds[1]);
}

TEST(AsioMainLoop, StopFromAnotherThreadEndsRunAndALaterRunStartsAfresh) {
  AsioMainLoop loop;
  std::atomic<bool> running{false};
  loop.post([&] { running = true; });
  std::thread stopper([&] {
    while (!running) {
      std::this_thread::yield();
    }
    loop.stop();
  });
  loop.run();
  stopper.join();
  bool ran = false;
  loop.post([&] { ran = true; });
  EXPECT_TRUE(loop.runUntil([&] { return ran; }, kLimit));
  EXPECT_FALSE(loop.runUntil([] { return false; }, milliseconds(1)));
}

TEST(AsioMainLoop, DestroyingWithPendingWorkRunsNoneOfIt) {
  bool ran = false;
  {
    AsioMainLoop loop;
    loop.post([&] { ran = true; });
    loop.postAfter(milliseconds(1), [&] { ran = true; });
    loop.postRepeating(milliseconds(1), [&] { ran = true; });
  }
  EXPECT_FALSE(ran);
}

}  // namespace
}  // namespace corvane::platform
