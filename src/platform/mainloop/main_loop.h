#pragma once
// The main run loop: the one thread on which screen models live and timers fire.
// Implementations: AsioMainLoop (programs), ManualLoop (tests, virtual time), and later a
// Qt-backed loop for the GUI.
#include <chrono>
#include <cstdint>
#include <functional>

namespace corvane::platform {

using Task = std::function<void()>;
using Duration = std::chrono::steady_clock::duration;
using TimePoint = std::chrono::steady_clock::time_point;

// Seconds as the system states its delays ("2.0 s later").
constexpr Duration seconds(double s) {
  return std::chrono::duration_cast<Duration>(std::chrono::duration<double>(s));
}

using TimerId = std::uint64_t;
using WatchId = std::uint64_t;

class MainLoop {
 public:
  virtual ~MainLoop() = default;

  // Runs `task` on the loop thread soon. Safe to call from any thread.
  virtual void post(Task task) = 0;

  // Runs `task` once, `delay` from now. Safe from any thread. The id cancels it.
  virtual TimerId postAfter(Duration delay, Task task) = 0;

  // Runs `task` every `interval`, first after one interval, until cancelled.
  virtual TimerId postRepeating(Duration interval, Task task) = 0;

  // Cancels a pending one-shot or repeating timer. Returns false when it already ran (one-shot)
  // or was never known. A timer cancelled from inside its own task does not fire again.
  virtual bool cancel(TimerId id) = 0;

  // Calls `onReadable` on the loop thread each time `fd` becomes readable, until unwatched.
  // The loop does not own the descriptor.
  virtual WatchId watchReadable(int fd, Task onReadable) = 0;
  virtual void unwatch(WatchId id) = 0;

  // The loop's clock: steady time for the real loop, virtual time for the manual loop.
  virtual TimePoint now() const = 0;

  // True when called on the loop's own thread.
  virtual bool isLoopThread() const = 0;
};

}  // namespace corvane::platform
