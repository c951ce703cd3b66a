#include "platform/mainloop/asio/asio_main_loop.h"

#include <asio/post.hpp>

namespace corvane::platform {

struct AsioMainLoop::Timer {
  Timer(asio::io_context& context, TimePoint firstDeadline, Duration every, bool repeats, Task work)
      : timer(context),
        deadline(firstDeadline),
        interval(every),
        repeating(repeats),
        task(std::make_shared<Task>(std::move(work))) {}

  asio::steady_timer timer;
  TimePoint deadline;
  Duration interval;
  bool repeating;
  // Shared so that a task that cancels its own timer keeps running after the entry is gone.
  std::shared_ptr<Task> task;
  // Set by a cancel from another thread; the loop thread then drops the entry.
  bool cancelled = false;
};

struct AsioMainLoop::Watch {
  Watch(asio::io_context& context, int watchedFd, Task work)
      : descriptor(context), fd(watchedFd), task(std::make_shared<Task>(std::move(work))) {}
  ~Watch() {
    // The descriptor belongs to the caller: release() hands it back instead of closing it.
    if (descriptor.is_open()) {
      descriptor.release();
    }
  }

  asio::posix::stream_descriptor descriptor;
  int fd;
  std::shared_ptr<Task> task;
  bool removed = false;
};

AsioMainLoop::AsioMainLoop()
    : work_(asio::make_work_guard(context_)), loopThread_(std::this_thread::get_id()) {}

AsioMainLoop::~AsioMainLoop() {
  context_.stop();
  // Timers and descriptors go while the context is fully alive; the handlers still queued
  // only hold ids and are destroyed unrun with the context.
  std::lock_guard lock(mutex_);
  timers_.clear();
  watches_.clear();
}

void AsioMainLoop::becomeLoopThread() { loopThread_ = std::this_thread::get_id(); }

void AsioMainLoop::restartIfStopped() {
  if (context_.stopped()) {
    context_.restart();
  }
}

void AsioMainLoop::run() {
  becomeLoopThread();
  restartIfStopped();
  context_.run();
}

void AsioMainLoop::runFor(Duration limit) {
  becomeLoopThread();
  restartIfStopped();
  context_.run_for(limit);
}

bool AsioMainLoop::runUntil(const std::function<bool()>& done) {
  becomeLoopThread();
  restartIfStopped();
  while (!done()) {
    if (context_.run_one() == 0) {
      return done();  // stopped
    }
  }
  return true;
}

bool AsioMainLoop::runUntil(const std::function<bool()>& done, Duration limit) {
  becomeLoopThread();
  restartIfStopped();
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    const auto left = deadline - std::chrono::steady_clock::now();
    if (left <= Duration::zero() || context_.stopped()) {
      return false;
    }
    context_.run_one_for(left);
  }
  return true;
}

void AsioMainLoop::stop() { context_.stop(); }

void AsioMainLoop::post(Task task) { asio::post(context_, std::move(task)); }

TimerId AsioMainLoop::postAfter(Duration delay, Task task) {
  return addTimer(delay, Duration::zero(), false, std::move(task));
}

TimerId AsioMainLoop::postRepeating(Duration interval, Task task) {
  // A zero interval would spin the loop without ever yielding to other work.
  return addTimer(interval, std::max(interval, Duration(1)), true, std::move(task));
}

TimerId AsioMainLoop::addTimer(Duration delay, Duration interval, bool repeating, Task task) {
  TimerId id;
  {
    std::lock_guard lock(mutex_);
    id = nextId_++;
    timers_.emplace(id, std::make_unique<Timer>(context_, now() + delay, interval, repeating,
                                                std::move(task)));
  }
  // The Asio timer is armed on the loop thread, the only thread that touches it.
  asio::post(context_, [this, id] { armTimer(id); });
  return id;
}

void AsioMainLoop::armTimer(TimerId id) {
  std::lock_guard lock(mutex_);
  auto it = timers_.find(id);
  if (it == timers_.end() || it->second->cancelled) {
    return;
  }
  Timer& entry = *it->second;
  entry.timer.expires_at(entry.deadline);
  entry.timer.async_wait([this, id](const asio::error_code& ec) {
    if (ec != asio::error::operation_aborted) {
      fireTimer(id);
    }
  });
}

void AsioMainLoop::fireTimer(TimerId id) {
  std::shared_ptr<Task> task;
  {
    std::lock_guard lock(mutex_);
    auto it = timers_.find(id);
    // A wait that completed just before a cancel still arrives here; the entry decides.
    if (it == timers_.end() || it->second->cancelled) {
      return;
    }
    task = it->second->task;
    if (!it->second->repeating) {
      timers_.erase(it);  // ran: a later cancel reports false
    }
  }
  (*task)();

  std::lock_guard lock(mutex_);
  auto it = timers_.find(id);
  if (it == timers_.end() || it->second->cancelled) {
    return;  // cancelled by its own task or meanwhile
  }
  Timer& entry = *it->second;
  // Next tick on the original grid; ticks missed while the loop was busy are skipped, not
  // fired in a burst.
  entry.deadline += entry.interval;
  const TimePoint current = now();
  if (entry.deadline <= current) {
    const auto missed = (current - entry.deadline) / entry.interval + 1;
    entry.deadline += missed * entry.interval;
  }
  entry.timer.expires_at(entry.deadline);
  entry.timer.async_wait([this, id](const asio::error_code& ec) {
    if (ec != asio::error::operation_aborted) {
      fireTimer(id);
    }
  });
}

bool AsioMainLoop::cancel(TimerId id) {
  std::lock_guard lock(mutex_);
  auto it = timers_.find(id);
  if (it == timers_.end() || it->second->cancelled) {
    return false;
  }
  if (isLoopThread()) {
    timers_.erase(it);  // destroying the Asio timer aborts its wait
  } else {
    it->second->cancelled = true;
    asio::post(context_, [this, id] {
      std::lock_guard inner(mutex_);
      timers_.erase(id);
    });
  }
  return true;
}

WatchId AsioMainLoop::watchReadable(int fd, Task onReadable) {
  WatchId id;
  {
    std::lock_guard lock(mutex_);
    id = nextId_++;
    watches_.emplace(id, std::make_unique<Watch>(context_, fd, std::move(onReadable)));
  }
  asio::post(context_, [this, id] { armWatch(id); });
  return id;
}

void AsioMainLoop::armWatch(WatchId id) {
  std::lock_guard lock(mutex_);
  auto it = watches_.find(id);
  if (it == watches_.end() || it->second->removed) {
    return;
  }
  Watch& entry = *it->second;
  if (!entry.descriptor.is_open()) {
    asio::error_code ec;
    entry.descriptor.assign(entry.fd, ec);
    if (ec) {
      // Not pollable (or already watched by another entry): this watch never fires.
      return;
    }
  }
  entry.descriptor.async_wait(asio::posix::stream_descriptor::wait_read,
                              [this, id](const asio::error_code& ec) {
                                if (ec != asio::error::operation_aborted) {
                                  onReadable(id);
                                }
                              });
}

void AsioMainLoop::onReadable(WatchId id) {
  std::shared_ptr<Task> task;
  {
    std::lock_guard lock(mutex_);
    auto it = watches_.find(id);
    if (it == watches_.end() || it->second->removed) {
      return;
    }
    task = it->second->task;
  }
  (*task)();
  armWatch(id);
}

void AsioMainLoop::unwatch(WatchId id) {
  std::lock_guard lock(mutex_);
  auto it = watches_.find(id);
  if (it == watches_.end() || it->second->removed) {
    return;
  }
  if (isLoopThread()) {
    watches_.erase(it);
  } else {
    it->second->removed = true;
    asio::post(context_, [this, id] {
      std::lock_guard inner(mutex_);
      watches_.erase(id);
    });
  }
}

TimePoint AsioMainLoop::now() const { return std::chrono::steady_clock::now(); }

bool AsioMainLoop::isLoopThread() const { return loopThread_.load() == std::this_thread::get_id(); }

}  // namespace corvane::platform
