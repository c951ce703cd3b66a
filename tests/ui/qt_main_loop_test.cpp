// The Qt loop against the contract every main loop keeps, plus its own promise: whichever
// thread asks, the work runs on the GUI thread, between Qt's own events.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include <thread>

#include "platform/support/main_loop_contract.h"
#include "ui/loop/qt_main_loop.h"

namespace corvane::testing {

template <>
struct MainLoopDriver<ui::QtMainLoop> {
  static std::unique_ptr<ui::QtMainLoop> make() { return std::make_unique<ui::QtMainLoop>(); }
  // Only a hang reaches the limit.
  static bool runUntil(ui::QtMainLoop&, const std::function<bool()>& done) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 20'000) {
      QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
    }
    return done();
  }
  static void let(ui::QtMainLoop&, platform::Duration span) {
    QElapsedTimer clock;
    clock.start();
    const auto limit = std::chrono::duration_cast<std::chrono::milliseconds>(span).count();
    while (clock.elapsed() <= limit) {
      QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 1);
    }
  }
};

INSTANTIATE_TYPED_TEST_SUITE_P(Qt, MainLoopContract, ui::QtMainLoop);

TEST(QtMainLoop, WorkAskedFromAnotherThreadRunsOnTheGuiThread) {
  ui::QtMainLoop loop;
  int onGui = 0;
  std::thread worker([&] {
    loop.post([&] { onGui += loop.isLoopThread(); });
    loop.postAfter(platform::seconds(0.01), [&] { onGui += loop.isLoopThread(); });
  });
  worker.join();
  EXPECT_TRUE(MainLoopDriver<ui::QtMainLoop>::runUntil(loop, [&] { return onGui == 2; }));
}

}  // namespace corvane::testing
