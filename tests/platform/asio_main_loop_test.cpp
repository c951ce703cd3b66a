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

// Ordering, timers and cancelling from a timer's own task: see main_loop_contract_test.cpp.

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
