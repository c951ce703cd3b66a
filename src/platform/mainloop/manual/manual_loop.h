#pragma once
// A main loop on virtual time, for tests: nothing runs until the test says so, and "2.0 s
// later" is one advance(seconds(2.0)) instead of a sleep.
//
// Tasks run in due-time order, ties in the order they were posted. Any thread may post,
// schedule or cancel (under a mutex); the tasks run on the thread that drives the loop.
// Descriptor watches are real: pollWatches() polls the watched descriptors, so tests can
// drive the loop with real sockets.
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "platform/mainloop/main_loop.h"

namespace corvane::platform {

class ManualLoop final : public MainLoop {
 public:
  // More tasks than this in one call means a task keeps rescheduling itself at the same
  // instant; the call throws std::runtime_error instead of spinning forever.
  static constexpr std::size_t kMaxTasksPerCall = 100'000;

  // Virtual time starts at `start` (the steady clock's epoch unless given).
  explicit ManualLoop(TimePoint start = TimePoint{});

  // Polls the watches once without waiting, then moves virtual time forward by `by`, running
  // every task that falls due up to the end of the window, including tasks scheduled by
  // those tasks, in order. Before each task now() is that task's due time; afterwards it is
  // the end of the window. Returns the number of tasks run.
  std::size_t advance(Duration by);
  // Runs what is due now (including what those tasks post for now), without moving time.
  std::size_t runPending();
  // Waits up to `timeout` of wall time for a watched descriptor to become readable and runs
  // the callback of each readable one. Does not run posted tasks. Returns callbacks run.
  std::size_t pollWatches(Duration timeout);
  // Alternates pollWatches and runPending until `done()` holds or `wallLimit` of wall time
  // has passed. Virtual time does not move. Returns whether `done()` held.
  bool runUntil(const std::function<bool()>& done, Duration wallLimit);

  // Number of scheduled tasks and timers not yet run or cancelled.
  std::size_t pendingCount() const;

  void post(Task task) override;
  TimerId postAfter(Duration delay, Task task) override;
  TimerId postRepeating(Duration interval, Task task) override;
  bool cancel(TimerId id) override;
  WatchId watchReadable(int fd, Task onReadable) override;
  void unwatch(WatchId id) override;
  TimePoint now() const override;
  bool isLoopThread() const override;

 private:
  struct Entry {
    TimePoint due;
    std::uint64_t order;  // breaks ties between equal due times: post order
    Duration interval;    // zero for one-shot tasks
    std::shared_ptr<Task> task;
  };
  struct Watch {
    int fd;
    std::shared_ptr<Task> task;
  };

  TimerId schedule(Duration delay, Duration interval, Task task);
  // Runs the earliest entry due at or before `limit`; false when there is none.
  bool runNextDue(TimePoint limit);
  void becomeLoopThread();

  mutable std::mutex mutex_;
  TimePoint now_;
  std::uint64_t nextId_ = 1;
  std::uint64_t nextOrder_ = 1;
  std::map<TimerId, Entry> entries_;
  // Entries by (due, order): the next one to run is the first. A repeating timer is out of
  // this index while its task runs.
  std::map<std::pair<TimePoint, std::uint64_t>, TimerId> schedule_;
  std::map<WatchId, Watch> watches_;
  std::atomic<std::thread::id> loopThread_;
};

}  // namespace corvane::platform
