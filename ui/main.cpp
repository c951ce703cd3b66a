// corvane: the window. One instance per user: a second start raises the first window and
// ends.
#include <QApplication>
#include <QQuickWindow>

#include <iostream>

#include "screenkit/localization.h"
#include "ui/app/single_instance.h"
#include "ui/app/window_app.h"
#include "ui/app/window_engine.h"

int main(int argc, char** argv) {
  using namespace corvane;
  ui::WindowEngine::prepareProcess();
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("corvane"));
  QApplication::setApplicationDisplayName(QStringLiteral("CorvaneVPN"));
  QApplication::setDesktopFileName(QStringLiteral("net.corvane.client"));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/qt/qml/Corvane/assets/icons/logo.svg")));
  // The tray keeps the app alive when the window is closed.
  QApplication::setQuitOnLastWindowClosed(false);
  ui::WindowEngine::prepareApplication();

  ui::SingleInstance instance;
  if (!instance.claim()) {
    std::cerr << "corvane: already running; its window was raised\n";
    return 0;
  }
  try {
    ui::WindowApp window({.localeIdentifier = screenkit::Localization::fromEnvironment().localeIdentifier(),
                          .tray = true});
    QQuickWindow* shown = window.show();
    if (shown == nullptr) return 1;
    QObject::connect(&instance, &ui::SingleInstance::raiseRequested, shown, [shown] {
      shown->show();
      shown->raise();
      shown->requestActivate();
    });
    if (!window.hasTray()) QApplication::setQuitOnLastWindowClosed(true);
    return app.exec();
  } catch (const std::exception& e) {
    std::cerr << "corvane: " << e.what() << "\n";
    return 1;
  }
}
