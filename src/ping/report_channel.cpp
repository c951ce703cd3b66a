#include "ping/report_channel.h"

namespace corvane::ping {

namespace {

// Reports run per turn on the caller's queue before the channel yields it to other work.
constexpr int kReportsPerTurn = 64;

}  // namespace

void ReportChannel::deliver(platform::Task task) {
  bool start = false;
  {
    std::lock_guard lock(mutex_);
    pending_.push_back(std::move(task));
    start = !draining_;
    draining_ = true;
  }
  if (start) {
    queue_.async([self = shared_from_this()] { self->drain(); });
  }
}

void ReportChannel::drain() {
  for (int i = 0; i < kReportsPerTurn; ++i) {
    platform::Task task;
    {
      std::lock_guard lock(mutex_);
      if (pending_.empty()) {
        draining_ = false;
        return;
      }
      task = std::move(pending_.front());
      pending_.pop_front();
    }
    task();
  }
  queue_.async([self = shared_from_this()] { self->drain(); });
}

}  // namespace corvane::ping
