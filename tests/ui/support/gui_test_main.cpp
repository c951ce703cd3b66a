// The window's tests run inside one QApplication on Qt's offscreen platform with the
// software renderer, so they draw and grab frames without a display or a GPU.
#include <gtest/gtest.h>

#include <QApplication>

#include "ui/app/window_engine.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  qputenv("QT_QUICK_BACKEND", "software");
  // A window built without the fake tunnel service must not find a tunnel service that
  // happens to run on this machine.
  qputenv("CORVANE_TUNNELD_SOCKET", "/nonexistent/corvane-gui-tests/tunneld.sock");
  corvane::ui::WindowEngine::prepareProcess();
  QApplication app(argc, argv);
  corvane::ui::WindowEngine::prepareApplication();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
