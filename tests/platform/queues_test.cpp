#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <future>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/mainloop/asio/global_queue.h"
#include "platform/mainloop/asio/serial_queue.h"

namespace corvane::platform {
namespace {

using std::chrono::milliseconds;

// Waits (bounded) until `count` reaches `target`.
class Countdown {
 public:
  explicit Countdown(int target) : left_(target) {}
  void hit() {
    std::lock_guard lock(mutex_);
    if (--left_ <= 0) {
      done_.notify_all();
    }
  }
  bool wait() {
    std::unique_lock lock(mutex_);
    return done_.wait_for(lock, std::chrono::seconds(20), [this] { return left_ <= 0; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable done_;
  int left_;
};

TEST(SerialQueue, RunsEachQueuesTasksOneAtATimeInOrderOnAMultiThreadPool) {
  GlobalQueue pool(4);
  constexpr int kQueues = 3;
  constexpr int kTasks = 2000;
  std::vector<std::unique_ptr<SerialQueue>> queues;
  std::vector<std::vector<int>> order(kQueues);  // unguarded: the queue is the guard
  std::vector<std::atomic<int>> inside(kQueues);
  std::atomic<bool> overlapped{false};
  Countdown finished(kQueues * kTasks);
  for (int q = 0; q < kQueues; ++q) {
    queues.push_back(std::make_unique<SerialQueue>(pool));
  }
  for (int i = 0; i < kTasks; ++i) {
    for (int q = 0; q < kQueues; ++q) {
      queues[q]->async([&, q, i] {
        if (inside[q].fetch_add(1) != 0) {
          overlapped = true;
        }
        order[q].push_back(i);
        inside[q].fetch_sub(1);
        finished.hit();
      });
    }
  }
  ASSERT_TRUE(finished.wait());
  EXPECT_FALSE(overlapped);
  for (const auto& o : order) {
    ASSERT_EQ(o.size(), static_cast<std::size_t>(kTasks));
    EXPECT_TRUE(std::is_sorted(o.begin(), o.end()));
  }
}

TEST(SerialQueue, DelayedTasksRunOnTheQueueInDeadlineOrder) {
  GlobalQueue pool(2);
  SerialQueue queue(pool);
  std::vector<std::string> ran;
  std::atomic<bool> allOnQueue{true};
  Countdown finished(3);
  auto record = [&](std::string label) {
    return [&, label] {
      allOnQueue = allOnQueue && queue.isCurrent();
      ran.push_back(label);
      finished.hit();
    };
  };
  queue.asyncAfter(milliseconds(20), record("late"));
  queue.asyncAfter(milliseconds(5), record("early"));
  queue.async(record("now"));
  ASSERT_TRUE(finished.wait());
  EXPECT_EQ(ran, (std::vector<std::string>{"now", "early", "late"}));
  EXPECT_TRUE(allOnQueue);
  EXPECT_FALSE(queue.isCurrent());
}

TEST(SerialQueue, NoTaskRunsOnceTheQueueIsDestroyed) {
  GlobalQueue pool(2);
  std::atomic<bool> firstFinished{false};
  std::atomic<int> ran{0};
  int ranWhenDestroyed = 0;
  {
    SerialQueue queue(pool);
    std::mutex mutex;
    std::condition_variable started;
    bool isStarted = false;
    queue.async([&] {
      {
        std::lock_guard lock(mutex);
        isStarted = true;
      }
      started.notify_all();
      std::this_thread::sleep_for(milliseconds(20));  // still running when the queue goes
      firstFinished = true;
      ++ran;
    });
    for (int i = 0; i < 50; ++i) {
      queue.async([&] { ++ran; });
    }
    queue.asyncAfter(milliseconds(1), [&] { ++ran; });
    std::unique_lock lock(mutex);
    ASSERT_TRUE(started.wait_for(lock, std::chrono::seconds(20), [&] { return isStarted; }));
  }
  EXPECT_TRUE(firstFinished) << "the destructor waits for the running task";
  ranWhenDestroyed = ran;
  std::this_thread::sleep_for(milliseconds(5));  // let the delayed one come due
  EXPECT_EQ(ran, ranWhenDestroyed);
  EXPECT_EQ(ranWhenDestroyed, 1);
}

TEST(SerialQueue, MayBeDestroyedFromItsOwnTask) {
  GlobalQueue pool(2);
  auto queue = std::make_unique<SerialQueue>(pool);
  Countdown finished(1);
  bool laterRan = false;
  std::promise<void> bothPosted;
  queue->async([&, posted = bothPosted.get_future().share()] {
    posted.wait_for(std::chrono::seconds(20));
    queue.reset();
    finished.hit();
  });
  queue->async([&] { laterRan = true; });
  bothPosted.set_value();
  ASSERT_TRUE(finished.wait());
  EXPECT_FALSE(laterRan);
}

TEST(GlobalQueue, RunsTasksConcurrently) {
  constexpr int kThreads = 3;
  GlobalQueue pool(kThreads);
  // Every task waits for all the others to start: only a pool running them at once finishes.
  std::mutex mutex;
  std::condition_variable allStarted;
  int started = 0;
  Countdown finished(kThreads);
  std::atomic<bool> timedOut{false};
  for (int i = 0; i < kThreads; ++i) {
    pool.async([&] {
      std::unique_lock lock(mutex);
      ++started;
      allStarted.notify_all();
      if (!allStarted.wait_for(lock, std::chrono::seconds(20),
                               [&] { return started == kThreads; })) {
        timedOut = true;
      }
      lock.unlock();
      finished.hit();
    });
  }
  ASSERT_TRUE(finished.wait());
  EXPECT_FALSE(timedOut);
}

TEST(GlobalQueue, DelayedTasksRunAndPendingOnesAreDroppedOnDestruction) {
  std::atomic<int> ran{0};
  {
    GlobalQueue pool(1);
    Countdown delayed(1);
    pool.asyncAfter(milliseconds(1), [&] {
      ++ran;
      delayed.hit();
    });
    ASSERT_TRUE(delayed.wait());
    pool.asyncAfter(std::chrono::hours(1), [&] { ++ran; });
  }
  EXPECT_EQ(ran, 1);
  EXPECT_GE(GlobalQueue::shared().threadCount(), 1u);
}

}  // namespace
}  // namespace corvane::platform
