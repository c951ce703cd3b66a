#pragma once
// The application's "entered background" and "became active" moments. The GUI fires them
// from its window state; the CLI never does; tests fire them directly.
#include <functional>

#include "platform/notifications/notification_center.h"

namespace corvane::platform {

class AppLifecycle {
 public:
  static constexpr const char* kDidEnterBackground = "ApplicationDidEnterBackground";
  static constexpr const char* kDidBecomeActive = "ApplicationDidBecomeActive";

  virtual ~AppLifecycle() = default;

  // Observers run on the thread that fires the event, and stop with their registration.
  virtual ObserverRegistration observeDidEnterBackground(std::function<void()> observer) = 0;
  virtual ObserverRegistration observeDidBecomeActive(std::function<void()> observer) = 0;

  virtual void postDidEnterBackground() = 0;
  virtual void postDidBecomeActive() = 0;
};

}  // namespace corvane::platform
