#include "ui/platform/lifecycle_bridge.h"

#include <QGuiApplication>

namespace corvane::ui {

LifecycleBridge::LifecycleBridge(platform::AppLifecycle& lifecycle) : lifecycle_(lifecycle) {
  connect(qGuiApp, &QGuiApplication::applicationStateChanged, this,
          &LifecycleBridge::applicationStateChanged);
}

void LifecycleBridge::applicationStateChanged(Qt::ApplicationState state) {
  const bool active = state == Qt::ApplicationActive;
  if (active == active_) return;
  active_ = active;
  if (active) {
    lifecycle_.postDidBecomeActive();
  } else {
    lifecycle_.postDidEnterBackground();
  }
}

}  // namespace corvane::ui
