#pragma once
// httplib's own ThreadPool queues accepted connections without limit, so a flood of clients
// grows memory without bound. This pool has a fixed number of workers and a fixed queue; when
// the queue is full the accept loop waits, and further clients wait in the kernel's backlog.
#include <httplib.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace corvane::backend {

class BoundedTaskQueue : public httplib::TaskQueue {
 public:
  BoundedTaskQueue(size_t workers, size_t maxQueued);
  ~BoundedTaskQueue() override;

  void enqueue(std::function<void()> fn) override;
  void shutdown() override;

 private:
  void work();

  const size_t maxQueued_;
  std::mutex mutex_;
  std::condition_variable hasWork_;
  std::condition_variable hasRoom_;
  std::deque<std::function<void()>> jobs_;
  bool shuttingDown_ = false;
  std::vector<std::thread> workers_;
};

}  // namespace corvane::backend
