#pragma once
// Lets a queue promise that none of its tasks runs once it is gone: every task goes through
// the gate, and closing the gate refuses the tasks still waiting and waits for the one that
// is running, if any.
#include <condition_variable>
#include <memory>
#include <mutex>

#include "platform/mainloop/main_loop.h"

namespace corvane::platform {

class TaskGate {
 public:
  // `task`, made to do nothing once the gate is closed.
  Task wrap(Task task) const;
  // Refuses every task not yet started. With `waitForRunning`, also waits until the tasks
  // already running have returned (pass false when closing from inside one of them).
  void close(bool waitForRunning);

 private:
  struct State {
    std::mutex mutex;
    std::condition_variable idle;
    bool closed = false;
    int running = 0;
  };
  std::shared_ptr<State> state_ = std::make_shared<State>();
};

}  // namespace corvane::platform
