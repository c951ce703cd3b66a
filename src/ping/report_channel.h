#pragma once
// Delivers a pinger's reports on the caller's queue one at a time and in the order they were
// made, even when that queue is concurrent: a report, then the next one, then the result.
// Reports never block the thread that makes them (the main loop, above all), whatever the
// caller's callbacks do.
#include <deque>
#include <memory>
#include <mutex>

#include "platform/mainloop/queue.h"

namespace corvane::ping {

class ReportChannel : public std::enable_shared_from_this<ReportChannel> {
 public:
  // `queue` must outlive every report handed in.
  static std::shared_ptr<ReportChannel> over(platform::Queue& queue) {
    return std::shared_ptr<ReportChannel>(new ReportChannel(queue));
  }

  void deliver(platform::Task task);

 private:
  explicit ReportChannel(platform::Queue& queue) : queue_(queue) {}
  void drain();

  platform::Queue& queue_;
  std::mutex mutex_;
  std::deque<platform::Task> pending_;
  bool draining_ = false;
};

}  // namespace corvane::ping
