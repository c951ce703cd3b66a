// The MainLoop contract run against each implementation of this folder. The window's Qt loop
// runs the same suite from tests/ui with its own driver.
#include "platform/support/main_loop_contract.h"

#include "platform/mainloop/asio/asio_main_loop.h"
#include "platform/mainloop/manual/manual_loop.h"

namespace corvane::testing {

using platform::AsioMainLoop;
using platform::Duration;
using platform::ManualLoop;

// Only a hang reaches it.
constexpr Duration kWallLimit = std::chrono::seconds(20);

template <>
struct MainLoopDriver<AsioMainLoop> {
  static std::unique_ptr<AsioMainLoop> make() { return std::make_unique<AsioMainLoop>(); }
  static bool runUntil(AsioMainLoop& loop, const std::function<bool()>& done) {
    return loop.runUntil(done, kWallLimit);
  }
  static void let(AsioMainLoop& loop, Duration span) { loop.runFor(span); }
};

template <>
struct MainLoopDriver<ManualLoop> {
  static std::unique_ptr<ManualLoop> make() { return std::make_unique<ManualLoop>(); }
  // Virtual time moves a millisecond per step; between steps the watches get a moment of
  // wall time, so work from other threads can arrive.
  static bool runUntil(ManualLoop& loop, const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + kWallLimit;
    while (!done()) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      loop.pollWatches(std::chrono::microseconds(200));
      loop.advance(std::chrono::milliseconds(1));
    }
    return true;
  }
  static void let(ManualLoop& loop, Duration span) { loop.advance(span); }
};

using Implementations = ::testing::Types<AsioMainLoop, ManualLoop>;
INSTANTIATE_TYPED_TEST_SUITE_P(Each, MainLoopContract, Implementations);

}  // namespace corvane::testing
