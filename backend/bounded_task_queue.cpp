#include "bounded_task_queue.h"

namespace corvane::backend {

BoundedTaskQueue::BoundedTaskQueue(size_t workers, size_t maxQueued) : maxQueued_(maxQueued) {
  for (size_t i = 0; i < workers; ++i) workers_.emplace_back([this] { work(); });
}

BoundedTaskQueue::~BoundedTaskQueue() { shutdown(); }

void BoundedTaskQueue::enqueue(std::function<void()> fn) {
  std::unique_lock lock(mutex_);
  // Never drop a job: it owns the connection's socket and is the only thing that closes it.
  hasRoom_.wait(lock, [this] { return jobs_.size() < maxQueued_ || shuttingDown_; });
  jobs_.push_back(std::move(fn));
  hasWork_.notify_one();
}

void BoundedTaskQueue::shutdown() {
  {
    std::lock_guard lock(mutex_);
    if (shuttingDown_ && workers_.empty()) return;
    shuttingDown_ = true;
  }
  hasWork_.notify_all();
  hasRoom_.notify_all();
  for (auto& w : workers_) {
    if (w.joinable()) w.join();
  }
  workers_.clear();
}

void BoundedTaskQueue::work() {
  for (;;) {
    std::function<void()> job;
    {
      std::unique_lock lock(mutex_);
      hasWork_.wait(lock, [this] { return !jobs_.empty() || shuttingDown_; });
      // Queued connections are still served during shutdown, so none is left unanswered.
      if (jobs_.empty()) return;
      job = std::move(jobs_.front());
      jobs_.pop_front();
    }
    hasRoom_.notify_one();
    job();
  }
}

}  // namespace corvane::backend
