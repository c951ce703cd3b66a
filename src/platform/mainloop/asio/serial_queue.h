#pragma once
// A serial queue: tasks run one at a time, in the order they were given, on the threads of a
// GlobalQueue (an asio::strand over its executor).
#include <asio/strand.hpp>
#include <asio/thread_pool.hpp>

#include "platform/mainloop/asio/global_queue.h"
#include "platform/mainloop/queue.h"
#include "platform/mainloop/task_gate.h"

namespace corvane::platform {

class SerialQueue final : public Queue {
 public:
  // `pool` must outlive the queue.
  explicit SerialQueue(GlobalQueue& pool);
  // Tasks not yet started are dropped; a task running on another thread is waited for. So
  // once the destructor returns, none of this queue's tasks runs, and state the tasks
  // capture by reference may go. Destroying the queue from one of its own tasks is allowed.
  ~SerialQueue() override;
  SerialQueue(const SerialQueue&) = delete;
  SerialQueue& operator=(const SerialQueue&) = delete;

  void async(Task task) override;
  void asyncAfter(Duration delay, Task task) override;

  // True inside one of this queue's tasks.
  bool isCurrent() const { return strand_.running_in_this_thread(); }

 private:
  asio::strand<asio::thread_pool::executor_type> strand_;
  TaskGate gate_;
};

}  // namespace corvane::platform
