// The Qt loop's own promises beyond the shared contract: everything runs on the GUI thread,
// whichever thread asked, and Qt's event loop is what drives it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include <atomic>
#include <thread>
#include <vector>

#include "ui/loop/qt_main_loop.h"

namespace corvane::ui {
namespace {

using platform::seconds;

// Spins Qt's event loop until `done` holds or five seconds pass.
bool spinUntil(const std::function<bool()>& done) {
  QElapsedTimer clock;
  clock.start();
  while (!done() && clock.elapsed() < 5000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 20);
  }
  return done();
}

TEST(QtMainLoop, PostsFromOtherThreadsRunOnTheGuiThreadInTheirOrder) {
  QtMainLoop loop;
  std::vector<int> order;
  std::vector<bool> onGui;
  std::thread worker([&] {
    for (int i = 0; i < 100; ++i) {
      loop.post([&, i] {
        order.push_back(i);
        onGui.push_back(loop.isLoopThread());
      });
    }
  });
  worker.join();
  ASSERT_TRUE(spinUntil([&] { return order.size() == 100; }));
  for (int i = 0; i < 100; ++i) EXPECT_EQ(order[i], i);
  EXPECT_EQ(std::count(onGui.begin(), onGui.end(), false), 0);
}

TEST(QtMainLoop, TimersFromAnotherThreadFireOnTheGuiThreadNeverEarly) {
  QtMainLoop loop;
  std::atomic<bool> fired = false;
  bool onGui = false;
  platform::TimePoint asked;
  platform::TimePoint ran;
  std::thread worker([&] {
    asked = loop.now();
    loop.postAfter(seconds(0.05), [&] {
      ran = loop.now();
      onGui = loop.isLoopThread();
      fired = true;
    });
  });
  worker.join();
  ASSERT_TRUE(spinUntil([&] { return fired.load(); }));
  EXPECT_TRUE(onGui);
  EXPECT_GE(ran - asked, seconds(0.05));
}

TEST(QtMainLoop, CancelFromAnotherThreadStopsARepeatingTimer) {
  QtMainLoop loop;
  std::atomic<int> ticks = 0;
  const auto id = loop.postRepeating(seconds(0.01), [&] { ++ticks; });
  ASSERT_TRUE(spinUntil([&] { return ticks >= 2; }));
  bool cancelled = false;
  std::thread([&] { cancelled = loop.cancel(id); }).join();
  EXPECT_TRUE(cancelled);
  // A later one-shot timer marks a point well past several intervals of the cancelled one.
  const int atCancel = ticks;
  bool sentinel = false;
  loop.postAfter(seconds(0.05), [&] { sentinel = true; });
  ASSERT_TRUE(spinUntil([&] { return sentinel; }));
  EXPECT_LE(ticks, atCancel + 1);  // at most the tick already queued when cancel was asked
  EXPECT_FALSE(loop.cancel(id));
}

TEST(QtMainLoop, DescriptorWatchFiresUntilUnwatchedFromInsideItsCallback) {
  QtMainLoop loop;
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  int calls = 0;
  platform::WatchId id = 0;
  id = loop.watchReadable(fds[0], [&] {
    char byte;
    ASSERT_EQ(read(fds[0], &byte, 1), 1);
    ++calls;
    loop.unwatch(id);
  });
  ASSERT_EQ(write(fds[1], "ab", 2), 2);
  ASSERT_TRUE(spinUntil([&] { return calls == 1; }));
  for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
  EXPECT_EQ(calls, 1);  // the second byte is still there, but nobody watches any more
  close(fds[0]);
  close(fds[1]);
}

}  // namespace
}  // namespace corvane::ui

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
