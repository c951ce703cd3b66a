#pragma once
// Dispatch queues besides the main loop. A SerialQueue runs its tasks one at a time in the
// order given; the GlobalQueue runs tasks concurrently on a shared thread pool.
#include "platform/mainloop/main_loop.h"

namespace corvane::platform {

class Queue {
 public:
  virtual ~Queue() = default;
  virtual void async(Task task) = 0;
  virtual void asyncAfter(Duration delay, Task task) = 0;
};

}  // namespace corvane::platform
