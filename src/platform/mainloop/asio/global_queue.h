#pragma once
// The concurrent queue: tasks run in parallel on an asio::thread_pool. Programs share one
// through GlobalQueue::shared(); code that needs a pool takes a GlobalQueue& from its caller.
#include <asio/thread_pool.hpp>

#include <cstddef>

#include "platform/mainloop/queue.h"

namespace corvane::platform {

class GlobalQueue final : public Queue {
 public:
  explicit GlobalQueue(std::size_t threads);
  // Stops the pool and joins its threads: tasks not yet started never run, running ones are
  // waited for. Must not be destroyed from one of its own tasks, and must outlive every
  // SerialQueue built on it.
  ~GlobalQueue() override;
  GlobalQueue(const GlobalQueue&) = delete;
  GlobalQueue& operator=(const GlobalQueue&) = delete;

  // The process-wide pool, one thread per hardware thread, made on first use. For programs'
  // main() to pass on; library code receives its queue instead of calling this.
  static GlobalQueue& shared();

  void async(Task task) override;
  void asyncAfter(Duration delay, Task task) override;

  asio::thread_pool::executor_type executor() { return pool_.get_executor(); }
  std::size_t threadCount() const { return threads_; }

 private:
  std::size_t threads_;
  asio::thread_pool pool_;
};

}  // namespace corvane::platform
