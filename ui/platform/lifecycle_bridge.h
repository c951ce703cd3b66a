#pragma once
// The application's "entered background" and "became active" moments, from the window
// system: a window that is hidden, minimised or loses to another application is in the
// background (the picker's latency probes halt then), and it becomes active when the user
// comes back. Only changes are forwarded, each once.
#include <QObject>

#include "platform/lifecycle/app_lifecycle.h"

namespace corvane::ui {

class LifecycleBridge : public QObject {
  Q_OBJECT

 public:
  // Follows the application's state from now on.
  explicit LifecycleBridge(platform::AppLifecycle& lifecycle);

  // What the application reports; public so that a state can be played in directly.
  void applicationStateChanged(Qt::ApplicationState state);

 private:
  platform::AppLifecycle& lifecycle_;
  bool active_ = true;  // a starting app counts as active
};

}  // namespace corvane::ui
