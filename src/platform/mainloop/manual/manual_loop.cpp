#include "platform/mainloop/manual/manual_loop.h"

#include <poll.h>

#include <algorithm>
#include <stdexcept>

namespace corvane::platform {

ManualLoop::ManualLoop(TimePoint start) : now_(start), loopThread_(std::this_thread::get_id()) {}

void ManualLoop::becomeLoopThread() { loopThread_ = std::this_thread::get_id(); }

void ManualLoop::post(Task task) { schedule(Duration::zero(), Duration::zero(), std::move(task)); }

TimerId ManualLoop::postAfter(Duration delay, Task task) {
  return schedule(std::max(delay, Duration::zero()), Duration::zero(), std::move(task));
}

TimerId ManualLoop::postRepeating(Duration interval, Task task) {
  // At least one tick, so that a repeating timer always moves forward in time.
  const Duration every = std::max(interval, Duration(1));
  return schedule(every, every, std::move(task));
}

TimerId ManualLoop::schedule(Duration delay, Duration interval, Task task) {
  std::lock_guard lock(mutex_);
  const TimerId id = nextId_++;
  const Entry entry{now_ + delay, nextOrder_++, interval, std::make_shared<Task>(std::move(task))};
  schedule_.emplace(std::pair(entry.due, entry.order), id);
  entries_.emplace(id, entry);
  return id;
}

bool ManualLoop::cancel(TimerId id) {
  std::lock_guard lock(mutex_);
  auto it = entries_.find(id);
  if (it == entries_.end()) {
    return false;
  }
  schedule_.erase(std::pair(it->second.due, it->second.order));
  entries_.erase(it);
  return true;
}

bool ManualLoop::runNextDue(TimePoint limit) {
  std::shared_ptr<Task> task;
  TimerId id = 0;
  {
    std::lock_guard lock(mutex_);
    if (schedule_.empty() || schedule_.begin()->first.first > limit) {
      return false;
    }
    id = schedule_.begin()->second;
    schedule_.erase(schedule_.begin());
    auto it = entries_.find(id);
    now_ = std::max(now_, it->second.due);
    task = it->second.task;
    if (it->second.interval == Duration::zero()) {
      entries_.erase(it);  // ran: a later cancel reports false
    }
  }
  (*task)();
  std::lock_guard lock(mutex_);
  if (auto it = entries_.find(id); it != entries_.end()) {
    // Still known, so a repeating timer that its own task did not cancel.
    Entry& entry = it->second;
    entry.due += entry.interval;
    entry.order = nextOrder_++;
    schedule_.emplace(std::pair(entry.due, entry.order), id);
  }
  return true;
}

std::size_t ManualLoop::advance(Duration by) {
  becomeLoopThread();
  pollWatches(Duration::zero());
  TimePoint end;
  {
    std::lock_guard lock(mutex_);
    end = now_ + std::max(by, Duration::zero());
  }
  std::size_t ran = 0;
  while (runNextDue(end)) {
    if (++ran > kMaxTasksPerCall) {
      throw std::runtime_error("ManualLoop: too many tasks in one advance; a task keeps rescheduling itself");
    }
  }
  std::lock_guard lock(mutex_);
  now_ = std::max(now_, end);
  return ran;
}

std::size_t ManualLoop::runPending() {
  becomeLoopThread();
  const TimePoint current = now();
  std::size_t ran = 0;
  while (runNextDue(current)) {
    if (++ran > kMaxTasksPerCall) {
      throw std::runtime_error("ManualLoop: too many tasks in one run; a task keeps posting itself");
    }
  }
  return ran;
}

std::size_t ManualLoop::pollWatches(Duration timeout) {
  becomeLoopThread();
  std::vector<pollfd> fds;
  std::vector<WatchId> ids;
  {
    std::lock_guard lock(mutex_);
    for (const auto& [id, watch] : watches_) {
      fds.push_back(pollfd{watch.fd, POLLIN, 0});
      ids.push_back(id);
    }
  }
  const auto ms = std::chrono::ceil<std::chrono::milliseconds>(std::max(timeout, Duration::zero()));
  // With nothing watched this still waits, so callers polling in a loop do not spin.
  const int ready = ::poll(fds.data(), fds.size(), static_cast<int>(ms.count()));
  if (ready <= 0) {
    return 0;  // timeout, or EINTR: the caller polls again
  }
  std::size_t ran = 0;
  for (std::size_t i = 0; i < fds.size(); ++i) {
    if ((fds[i].revents & (POLLIN | POLLHUP | POLLERR)) == 0) {
      continue;
    }
    std::shared_ptr<Task> task;
    {
      std::lock_guard lock(mutex_);
      // An earlier callback in this round may have removed this watch.
      auto it = watches_.find(ids[i]);
      if (it == watches_.end()) {
        continue;
      }
      task = it->second.task;
    }
    (*task)();
    ++ran;
  }
  return ran;
}

bool ManualLoop::runUntil(const std::function<bool()>& done, Duration wallLimit) {
  const auto deadline = std::chrono::steady_clock::now() + wallLimit;
  runPending();
  while (!done()) {
    const auto left = deadline - std::chrono::steady_clock::now();
    if (left <= Duration::zero()) {
      return false;
    }
    // Short polls, so that tasks posted from other threads are picked up promptly.
    pollWatches(std::min<Duration>(left, std::chrono::milliseconds(5)));
    runPending();
  }
  return true;
}

std::size_t ManualLoop::pendingCount() const {
  std::lock_guard lock(mutex_);
  return entries_.size();
}

WatchId ManualLoop::watchReadable(int fd, Task onReadable) {
  std::lock_guard lock(mutex_);
  const WatchId id = nextId_++;
  watches_.emplace(id, Watch{fd, std::make_shared<Task>(std::move(onReadable))});
  return id;
}

void ManualLoop::unwatch(WatchId id) {
  std::lock_guard lock(mutex_);
  watches_.erase(id);
}

TimePoint ManualLoop::now() const {
  std::lock_guard lock(mutex_);
  return now_;
}

bool ManualLoop::isLoopThread() const { return loopThread_.load() == std::this_thread::get_id(); }

}  // namespace corvane::platform
