#pragma once
// AppLifecycle as two named notifications on a NotificationCenter, so any part of the program
// that shares the centre sees the same moments.
#include "platform/lifecycle/app_lifecycle.h"

namespace corvane::platform {

class NotificationAppLifecycle : public AppLifecycle {
 public:
  explicit NotificationAppLifecycle(NotificationCenter& center) : center_(center) {}

  ObserverRegistration observeDidEnterBackground(std::function<void()> observer) override {
    return ObserverRegistration(center_,
                                center_.addObserver(kDidEnterBackground, std::move(observer)));
  }
  ObserverRegistration observeDidBecomeActive(std::function<void()> observer) override {
    return ObserverRegistration(center_,
                                center_.addObserver(kDidBecomeActive, std::move(observer)));
  }
  void postDidEnterBackground() override { center_.post(kDidEnterBackground); }
  void postDidBecomeActive() override { center_.post(kDidBecomeActive); }

 private:
  NotificationCenter& center_;
};

}  // namespace corvane::platform
