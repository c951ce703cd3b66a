#pragma once
// The whole window: the Qt main loop, the services over it, the root screen model with its
// adapter, the QML, and the tray icon. Made after the QApplication; main() and the
// real-window test both run the app through it.
#include <memory>
#include <string>

#include "app/content_view.h"
#include "ui/adapters/model_adapter.h"
#include "ui/app/window_engine.h"
#include "ui/app/window_services.h"
#include "ui/loop/qt_main_loop.h"

class QQuickWindow;

namespace corvane::ui {

class DesktopNotifier;
class StatusTray;
class LifecycleBridge;
class WindowLaunch;

class WindowApp {
 public:
  struct Options {
    std::string localeIdentifier;  // "zh_CN", "en_US"
    // The tray and the desktop notifications; off in tests, which make their own.
    bool tray = true;
  };

  explicit WindowApp(Options options);
  ~WindowApp();
  WindowApp(const WindowApp&) = delete;
  WindowApp& operator=(const WindowApp&) = delete;

  // Shows the root screen; null when the QML failed to load. The launch object follows the
  // first frame.
  QQuickWindow* show();
  // The launch object over the tunnel core; null before the first frame or without a core.
  WindowLaunch* launched() const { return launch_.get(); }

  app::ContentView& root() { return root_; }
  screenkit::Services services() { return services_.services(); }
  QtMainLoop& loop() { return loop_; }
  // Whether a tray icon is shown (the desktop has a tray).
  bool hasTray() const;

 private:
  void launch();

  QtMainLoop loop_;
  WindowServices services_;
  // The launch object over the root's tunnel core (none when the core could not be opened);
  // it goes before the services it uses.
  std::unique_ptr<WindowLaunch> launch_;
  app::ContentView root_;
  std::unique_ptr<ModelAdapter> adapter_;
  // After the adapter, so that the QML holding it goes first.
  std::unique_ptr<WindowEngine> engine_;
  std::unique_ptr<DesktopNotifier> notifier_;
  std::unique_ptr<StatusTray> tray_;
  std::unique_ptr<LifecycleBridge> lifecycle_;
};

}  // namespace corvane::ui
