#pragma once
// Shows one screen's QML over its adapter in a window of a given size, as the app would
// draw it, and grabs the frame. The window is made through the app's own engine set-up.
#include <QImage>
#include <QQuickWindow>
#include <QSize>

#include <functional>
#include <memory>

#include "ui/adapters/model_adapter.h"
#include "ui/app/window_engine.h"

namespace corvane::test {

class ScreenHost {
 public:
  // `screenType` is the QML type of the screen ("LoginScreen").
  ScreenHost(const QString& screenType, ui::ModelAdapter& model, QSize size);
  ~ScreenHost();

  QQuickWindow& window() { return *window_; }
  // The screen item inside the window.
  QQuickItem& screen();
  // Lets bindings, layouts and the scene graph settle, then grabs the frame.
  QImage grab();

 private:
  ui::WindowEngine engine_;
  std::unique_ptr<QQuickWindow> window_;
};

// Runs Qt's event loop until `done` holds or ten seconds pass; returns whether it held.
bool spinUntil(const std::function<bool()>& done);
// Runs Qt's event loop for a few turns without waiting.
void spinBriefly();

}  // namespace corvane::test
