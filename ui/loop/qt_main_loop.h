#pragma once
// The main loop of the window: Qt's own event loop on the GUI thread. Screen models live on
// that thread, so their timers and descriptor watches must fire there too, between input
// events and frames, instead of on a second loop that would need locking against QML.
//
// Any thread may post, schedule, cancel, watch or unwatch. Work from another thread is
// handed to the GUI thread as a queued call; QTimer and QSocketNotifier objects are only
// ever created, armed and destroyed on the GUI thread, as Qt requires.
#include <QObject>

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>

#include "platform/mainloop/main_loop.h"

class QTimer;
class QSocketNotifier;

namespace corvane::ui {

class QtMainLoop final : public QObject, public platform::MainLoop {
 public:
  // Constructed on the GUI thread (the thread of QCoreApplication), after the application.
  QtMainLoop();
  ~QtMainLoop() override;
  QtMainLoop(const QtMainLoop&) = delete;
  QtMainLoop& operator=(const QtMainLoop&) = delete;

  void post(platform::Task task) override;
  platform::TimerId postAfter(platform::Duration delay, platform::Task task) override;
  platform::TimerId postRepeating(platform::Duration interval, platform::Task task) override;
  bool cancel(platform::TimerId id) override;
  platform::WatchId watchReadable(int fd, platform::Task onReadable) override;
  void unwatch(platform::WatchId id) override;
  platform::TimePoint now() const override;
  bool isLoopThread() const override;

 private:
  struct Timer;
  struct Watch;

  platform::TimerId addTimer(platform::Duration delay, platform::Duration interval,
                             bool repeating, platform::Task task);
  void armTimer(platform::TimerId id);
  void fireTimer(platform::TimerId id);
  void armWatch(platform::WatchId id);
  void onReadable(platform::WatchId id);
  // Runs `work` on the GUI thread: now when already there, otherwise queued.
  void onGuiThread(platform::Task work);

  const std::thread::id guiThread_;
  std::mutex mutex_;
  std::uint64_t nextId_ = 1;
  std::unordered_map<platform::TimerId, std::unique_ptr<Timer>> timers_;
  std::unordered_map<platform::WatchId, std::unique_ptr<Watch>> watches_;
  // Queued calls hold this weakly so that none runs into a destroyed loop.
  std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

}  // namespace corvane::ui
