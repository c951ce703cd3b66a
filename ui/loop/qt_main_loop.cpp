#include "ui/loop/qt_main_loop.h"

#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <limits>

namespace corvane::ui {

using platform::Duration;
using platform::Task;
using platform::TimePoint;

namespace {

// QTimer counts whole milliseconds. Rounding up keeps a timer from ever firing before its
// deadline ("2.0 s later" must never be 1.999 s).
int millisecondsUntil(TimePoint deadline, TimePoint now) {
  if (deadline <= now) return 0;
  const auto ms = std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count();
  return static_cast<int>(std::min<long long>(ms, std::numeric_limits<int>::max()));
}

// Qt objects whose own signal may be running when their entry goes are deleted later, once
// control is back in the event loop.
template <typename QtObject>
void dispose(QtObject* object) {
  if (object == nullptr) return;
  object->disconnect();
  object->deleteLater();
}

}  // namespace

struct QtMainLoop::Timer {
  Timer(TimePoint firstDeadline, Duration every, bool repeats, Task work)
      : deadline(firstDeadline),
        interval(every),
        repeating(repeats),
        task(std::make_shared<Task>(std::move(work))) {}
  ~Timer() {
    if (timer != nullptr) timer->stop();
    dispose(timer);
  }

  QTimer* timer = nullptr;  // made on the GUI thread when armed
  TimePoint deadline;
  Duration interval;
  bool repeating;
  // Shared so that a task that cancels its own timer keeps running after the entry is gone.
  std::shared_ptr<Task> task;
  bool cancelled = false;  // by another thread; the GUI thread drops the entry
};

struct QtMainLoop::Watch {
  Watch(int watchedFd, Task work) : fd(watchedFd), task(std::make_shared<Task>(std::move(work))) {}
  ~Watch() {
    if (notifier != nullptr) notifier->setEnabled(false);
    dispose(notifier);
  }

  QSocketNotifier* notifier = nullptr;  // made on the GUI thread when armed
  int fd;
  std::shared_ptr<Task> task;
  bool removed = false;
};

QtMainLoop::QtMainLoop() : guiThread_(std::this_thread::get_id()) {}

QtMainLoop::~QtMainLoop() {
  std::lock_guard lock(mutex_);
  timers_.clear();
  watches_.clear();
  // Queued calls aimed at this object are dropped by Qt with it.
}

void QtMainLoop::onGuiThread(Task work) {
  if (isLoopThread()) {
    work();
  } else {
    QMetaObject::invokeMethod(this, std::move(work), Qt::QueuedConnection);
  }
}

void QtMainLoop::post(Task task) {
  // Always queued, also from the GUI thread: a post runs after the caller has returned, in
  // the order of posting.
  QMetaObject::invokeMethod(this, std::move(task), Qt::QueuedConnection);
}

platform::TimerId QtMainLoop::postAfter(Duration delay, Task task) {
  return addTimer(delay, Duration::zero(), false, std::move(task));
}

platform::TimerId QtMainLoop::postRepeating(Duration interval, Task task) {
  // A zero interval would spin the loop without ever yielding to input and frames.
  return addTimer(interval, std::max(interval, Duration(std::chrono::milliseconds(1))), true,
                  std::move(task));
}

platform::TimerId QtMainLoop::addTimer(Duration delay, Duration interval, bool repeating,
                                       Task task) {
  platform::TimerId id;
  {
    std::lock_guard lock(mutex_);
    id = nextId_++;
    timers_.emplace(id, std::make_unique<Timer>(now() + delay, interval, repeating,
                                                std::move(task)));
  }
  onGuiThread([this, id] { armTimer(id); });
  return id;
}

void QtMainLoop::armTimer(platform::TimerId id) {
  std::lock_guard lock(mutex_);
  auto it = timers_.find(id);
  if (it == timers_.end() || it->second->cancelled) return;
  Timer& entry = *it->second;
  if (entry.timer == nullptr) {
    entry.timer = new QTimer(this);
    entry.timer->setSingleShot(true);
    entry.timer->setTimerType(Qt::PreciseTimer);
    QObject::connect(entry.timer, &QTimer::timeout, this, [this, id] { fireTimer(id); });
  }
  entry.timer->start(millisecondsUntil(entry.deadline, now()));
}

void QtMainLoop::fireTimer(platform::TimerId id) {
  std::shared_ptr<Task> task;
  {
    std::lock_guard lock(mutex_);
    auto it = timers_.find(id);
    if (it == timers_.end() || it->second->cancelled) return;
    task = it->second->task;
    if (!it->second->repeating) timers_.erase(it);  // ran: a later cancel reports false
  }
  (*task)();

  std::lock_guard lock(mutex_);
  auto it = timers_.find(id);
  if (it == timers_.end() || it->second->cancelled) return;  // cancelled by its own task
  Timer& entry = *it->second;
  // Next tick on the original grid; ticks missed while the GUI thread was busy are skipped,
  // not fired in a burst.
  entry.deadline += entry.interval;
  const TimePoint current = now();
  if (entry.deadline <= current) {
    entry.deadline += ((current - entry.deadline) / entry.interval + 1) * entry.interval;
  }
  entry.timer->start(millisecondsUntil(entry.deadline, current));
}

bool QtMainLoop::cancel(platform::TimerId id) {
  std::lock_guard lock(mutex_);
  auto it = timers_.find(id);
  if (it == timers_.end() || it->second->cancelled) return false;
  if (isLoopThread()) {
    timers_.erase(it);
  } else {
    it->second->cancelled = true;
    QMetaObject::invokeMethod(
        this,
        [this, id] {
          std::lock_guard inner(mutex_);
          timers_.erase(id);
        },
        Qt::QueuedConnection);
  }
  return true;
}

platform::WatchId QtMainLoop::watchReadable(int fd, Task onReadable) {
  platform::WatchId id;
  {
    std::lock_guard lock(mutex_);
    id = nextId_++;
    watches_.emplace(id, std::make_unique<Watch>(fd, std::move(onReadable)));
  }
  onGuiThread([this, id] { armWatch(id); });
  return id;
}

void QtMainLoop::armWatch(platform::WatchId id) {
  std::lock_guard lock(mutex_);
  auto it = watches_.find(id);
  if (it == watches_.end() || it->second->removed || it->second->notifier != nullptr) return;
  Watch& entry = *it->second;
  entry.notifier = new QSocketNotifier(entry.fd, QSocketNotifier::Read, this);
  QObject::connect(entry.notifier, &QSocketNotifier::activated, this,
                   [this, id] { onReadable(id); });
}

void QtMainLoop::onReadable(platform::WatchId id) {
  std::shared_ptr<Task> task;
  {
    std::lock_guard lock(mutex_);
    auto it = watches_.find(id);
    if (it == watches_.end() || it->second->removed) return;
    task = it->second->task;
  }
  // The notifier is level-triggered: a callback that leaves data unread is called again on
  // the next turn of the loop, as the other loops do.
  (*task)();
}

void QtMainLoop::unwatch(platform::WatchId id) {
  std::lock_guard lock(mutex_);
  auto it = watches_.find(id);
  if (it == watches_.end() || it->second->removed) return;
  if (isLoopThread()) {
    watches_.erase(it);
  } else {
    it->second->removed = true;
    QMetaObject::invokeMethod(
        this,
        [this, id] {
          std::lock_guard inner(mutex_);
          watches_.erase(id);
        },
        Qt::QueuedConnection);
  }
}

TimePoint QtMainLoop::now() const { return std::chrono::steady_clock::now(); }

bool QtMainLoop::isLoopThread() const { return std::this_thread::get_id() == guiThread_; }

}  // namespace corvane::ui
