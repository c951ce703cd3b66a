#pragma once
// What every MainLoop must do, as one type-parameterized suite: posts run in order, timers
// fire in deadline order and cancel (also from inside their own task), repeating timers
// repeat, descriptor watches fire on the loop thread, and any thread may call in.
//
// Adding an implementation is one driver and one line (see main_loop_contract_test.cpp):
//
//   template <> struct MainLoopDriver<MyLoop> {
//     static std::unique_ptr<MyLoop> make();
//     // Runs the loop until done() holds; false if it never did within a generous limit.
//     static bool runUntil(MyLoop&, const std::function<bool()>& done);
//     // Lets `span` of the loop's own time pass, running whatever falls due.
//     static void let(MyLoop&, platform::Duration span);
//   };
//   INSTANTIATE_TYPED_TEST_SUITE_P(My, MainLoopContract, MyLoop);
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/mainloop/main_loop.h"

namespace corvane::testing {

template <typename Loop>
struct MainLoopDriver;

template <typename Loop>
class MainLoopContract : public ::testing::Test {
 protected:
  using Driver = MainLoopDriver<Loop>;
  std::unique_ptr<Loop> loop_ = Driver::make();
  Loop& loop() { return *loop_; }
  bool runUntil(const std::function<bool()>& done) { return Driver::runUntil(*loop_, done); }
  void let(platform::Duration span) { Driver::let(*loop_, span); }
  static platform::Duration ms(int count) { return std::chrono::milliseconds(count); }
};

TYPED_TEST_SUITE_P(MainLoopContract);

TYPED_TEST_P(MainLoopContract, PostsRunInOrderAndPostsFromTasksQueueBehind) {
  std::vector<std::string> ran;
  this->loop().post([&] {
    ran.push_back("a");
    this->loop().post([&] { ran.push_back("a2"); });
  });
  this->loop().post([&] { ran.push_back("b"); });
  this->loop().post([&] { ran.push_back("c"); });
  ASSERT_TRUE(this->runUntil([&] { return ran.size() == 4; }));
  EXPECT_EQ(ran, (std::vector<std::string>{"a", "b", "c", "a2"}));
}

TYPED_TEST_P(MainLoopContract, TimersFireInDeadlineOrderAndCancelledOnesNever) {
  auto& loop = this->loop();
  std::vector<std::string> ran;
  loop.postAfter(this->ms(30), [&] { ran.push_back("c"); });
  loop.postAfter(this->ms(10), [&] { ran.push_back("a"); });
  const platform::TimerId dropped = loop.postAfter(this->ms(15), [&] { ran.push_back("dropped"); });
  const platform::TimerId late = loop.postAfter(this->ms(40), [&] { ran.push_back("late"); });
  loop.postAfter(this->ms(20), [&] {
    ran.push_back("b");
    EXPECT_TRUE(this->loop().cancel(late));  // one timer cancels another from its task
  });
  EXPECT_TRUE(loop.cancel(dropped));
  EXPECT_FALSE(loop.cancel(dropped));
  EXPECT_FALSE(loop.cancel(987654));
  // Room for a loaded machine: a late loop still runs them in deadline order.
  this->let(this->ms(150));
  EXPECT_EQ(ran, (std::vector<std::string>{"a", "b", "c"}));
}

TYPED_TEST_P(MainLoopContract, RepeatingTimersRepeatUntilCancelledEvenFromTheirOwnTask) {
  auto& loop = this->loop();
  int selfCancelling = 0;
  int cancelledOutside = 0;
  platform::TimerId self = 0;
  self = loop.postRepeating(this->ms(5), [&] {
    if (++selfCancelling == 3) this->loop().cancel(self);
  });
  const platform::TimerId other = loop.postRepeating(this->ms(5), [&] { ++cancelledOutside; });
  ASSERT_TRUE(this->runUntil([&] { return selfCancelling == 3 && cancelledOutside >= 3; }));
  EXPECT_TRUE(loop.cancel(other));
  const int seen = cancelledOutside;
  this->let(this->ms(30));
  EXPECT_EQ(selfCancelling, 3);
  EXPECT_EQ(cancelledOutside, seen);
  EXPECT_FALSE(loop.cancel(self));
}

TYPED_TEST_P(MainLoopContract, WatchesFireOnTheLoopThreadUntilUnwatched) {
  int fds[2];
  ASSERT_EQ(::pipe2(fds, O_CLOEXEC | O_NONBLOCK), 0);
  int calls = 0;
  bool offLoop = false;
  std::string read;
  const platform::WatchId watch = this->loop().watchReadable(fds[0], [&] {
    ++calls;
    offLoop = offLoop || !this->loop().isLoopThread();
    char buffer[16];
    const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
    if (n > 0) read.append(buffer, static_cast<std::size_t>(n));
  });
  std::thread writer([&] { EXPECT_EQ(::write(fds[1], "x", 1), 1); });
  ASSERT_TRUE(this->runUntil([&] { return read == "x"; }));
  writer.join();
  this->loop().unwatch(watch);
  const int before = calls;
  ASSERT_EQ(::write(fds[1], "y", 1), 1);
  this->let(this->ms(20));
  EXPECT_EQ(calls, before);
  EXPECT_FALSE(offLoop);
  ::close(fds[0]);
  ::close(fds[1]);
}

TYPED_TEST_P(MainLoopContract, OtherThreadsPostScheduleAndCancelInTheirOwnOrder) {
  auto& loop = this->loop();
  constexpr int kThreads = 4;
  constexpr int kEach = 200;
  std::vector<std::vector<int>> seen(kThreads);
  std::atomic<bool> offLoop{false};
  bool timerRan = false;
  bool cancelledRan = false;
  std::vector<std::thread> producers;
  for (int t = 0; t < kThreads; ++t) {
    producers.emplace_back([&, t] {
      for (int i = 0; i < kEach; ++i) {
        loop.post([&, t, i] {
          offLoop = offLoop || !loop.isLoopThread();
          seen[static_cast<std::size_t>(t)].push_back(i);
        });
      }
    });
  }
  std::thread scheduler([&] {
    loop.postAfter(this->ms(1), [&] { timerRan = true; });
    const auto doomed = loop.postAfter(this->ms(10), [&] { cancelledRan = true; });
    EXPECT_TRUE(loop.cancel(doomed));
  });
  for (auto& producer : producers) producer.join();
  scheduler.join();
  ASSERT_TRUE(this->runUntil([&] {
    std::size_t total = 0;
    for (const auto& s : seen) total += s.size();
    return total == kThreads * kEach && timerRan;
  }));
  this->let(this->ms(20));
  EXPECT_FALSE(offLoop);
  EXPECT_FALSE(cancelledRan);
  for (const auto& s : seen) EXPECT_TRUE(std::is_sorted(s.begin(), s.end()));
}

REGISTER_TYPED_TEST_SUITE_P(MainLoopContract, PostsRunInOrderAndPostsFromTasksQueueBehind,
                            TimersFireInDeadlineOrderAndCancelledOnesNever,
                            RepeatingTimersRepeatUntilCancelledEvenFromTheirOwnTask,
                            WatchesFireOnTheLoopThreadUntilUnwatched,
                            OtherThreadsPostScheduleAndCancelInTheirOwnOrder);

}  // namespace corvane::testing
