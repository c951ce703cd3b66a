#pragma once
// A Queue for tests whose tasks run when a ManualLoop runs them: async() is a post to the
// loop, asyncAfter() a timer in its virtual time. Serial, since the loop runs one task at a
// time. Tasks still waiting when the queue is destroyed never run.
#include "platform/mainloop/manual/manual_loop.h"
#include "platform/mainloop/queue.h"
#include "platform/mainloop/task_gate.h"

namespace corvane::platform {

class ManualQueue final : public Queue {
 public:
  // `loop` must outlive the queue.
  explicit ManualQueue(ManualLoop& loop) : loop_(loop) {}
  ~ManualQueue() override { gate_.close(false); }
  ManualQueue(const ManualQueue&) = delete;
  ManualQueue& operator=(const ManualQueue&) = delete;

  void async(Task task) override { loop_.post(gate_.wrap(std::move(task))); }
  void asyncAfter(Duration delay, Task task) override {
    loop_.postAfter(delay, gate_.wrap(std::move(task)));
  }

 private:
  ManualLoop& loop_;
  TaskGate gate_;
};

}  // namespace corvane::platform
