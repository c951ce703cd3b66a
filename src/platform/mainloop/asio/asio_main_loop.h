#pragma once
// The main loop of programs: one asio::io_context run on the thread that calls run().
//
// Timers and descriptor watches are owned by the loop and touched only on its thread; calls
// from other threads (post, postAfter, cancel, watchReadable, unwatch) record the change
// under a mutex and post the Asio work to the loop thread, so any thread may call them.
//
// Descriptor watches: one watch per descriptor at a time (epoll registers a descriptor
// once). Unwatch on the loop thread before closing a descriptor; an unwatch from another
// thread takes effect only when the loop next runs.
#include <asio/io_context.hpp>
#include <asio/executor_work_guard.hpp>
#include <asio/posix/stream_descriptor.hpp>
#include <asio/steady_timer.hpp>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>

#include "platform/mainloop/main_loop.h"

namespace corvane::platform {

class AsioMainLoop final : public MainLoop {
 public:
  // The constructing thread counts as the loop thread until another thread runs the loop.
  AsioMainLoop();
  // Must not run while the loop runs on another thread. Pending tasks are dropped unrun.
  ~AsioMainLoop() override;
  AsioMainLoop(const AsioMainLoop&) = delete;
  AsioMainLoop& operator=(const AsioMainLoop&) = delete;

  // Runs tasks until stop(). Idle waiting does not end the run.
  void run();
  // Runs tasks for at most `limit` of wall time or until stop().
  void runFor(Duration limit);
  // Runs tasks until `done()` holds or stop() is called. `done` is checked before the first
  // task and after every task, so whatever makes it true has to happen on the loop (a
  // worker thread posts its result). Returns whether `done()` held.
  bool runUntil(const std::function<bool()>& done);
  // The same, giving up after `limit` of wall time.
  bool runUntil(const std::function<bool()>& done, Duration limit);
  // Ends the current run soon. Safe from any thread. A later run*() starts afresh.
  void stop();

  void post(Task task) override;
  TimerId postAfter(Duration delay, Task task) override;
  TimerId postRepeating(Duration interval, Task task) override;
  bool cancel(TimerId id) override;
  WatchId watchReadable(int fd, Task onReadable) override;
  void unwatch(WatchId id) override;
  TimePoint now() const override;
  bool isLoopThread() const override;

  asio::io_context& context() { return context_; }

 private:
  struct Timer;
  struct Watch;

  TimerId addTimer(Duration delay, Duration interval, bool repeating, Task task);
  void armTimer(TimerId id);
  void fireTimer(TimerId id);
  void armWatch(WatchId id);
  void onReadable(WatchId id);
  void becomeLoopThread();
  void restartIfStopped();

  // Declared first so that it is destroyed last: timers and descriptors need it alive.
  asio::io_context context_;
  asio::executor_work_guard<asio::io_context::executor_type> work_;
  std::atomic<std::thread::id> loopThread_;

  std::mutex mutex_;
  std::uint64_t nextId_ = 1;
  std::unordered_map<TimerId, std::unique_ptr<Timer>> timers_;
  std::unordered_map<WatchId, std::unique_ptr<Watch>> watches_;
};

}  // namespace corvane::platform
