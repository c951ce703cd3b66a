#pragma once
// Loads the window's QML over a root adapter: the one place that knows where the QML lives
// and which style and font it expects. The app, the screenshot run and the tests all load
// the window through here, so they draw the same thing.
#include <QQmlApplicationEngine>
#include <QQuickWindow>

#include "ui/adapters/model_adapter.h"

namespace corvane::ui {

class WindowEngine {
 public:
  // Call once, before the QGuiApplication exists: picks the Basic controls style, which
  // the QML restyles.
  static void prepareProcess();
  // Call once the application exists: Inter as the default font.
  static void prepareApplication();

  WindowEngine();

  // Creates the window over `root` (the root screen's adapter); null when the QML failed to
  // load (the engine has printed why).
  QQuickWindow* load(ModelAdapter& root);

  QQmlApplicationEngine& engine() { return engine_; }

 private:
  QQmlApplicationEngine engine_;
};

}  // namespace corvane::ui
