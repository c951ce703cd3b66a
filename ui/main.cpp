// corvane: the window. It builds the services over the Qt main loop, the root screen model
// and its adapter, and shows the root screen.
#include <QApplication>

#include <iostream>

#include "app/content_view.h"
#include "screens/localization.h"
#include "ui/app/window_engine.h"
#include "ui/app/window_services.h"
#include "ui/bindings/screen_bindings.h"
#include "ui/loop/qt_main_loop.h"
#include "ui/platform/qt_url_opener.h"

int main(int argc, char** argv) {
  using namespace corvane;
  ui::WindowEngine::prepareProcess();
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("corvane"));
  QApplication::setApplicationDisplayName(QStringLiteral("CorvaneVPN"));
  QApplication::setDesktopFileName(QStringLiteral("net.corvane.client"));
  ui::WindowEngine::prepareApplication();

  try {
    ui::QtMainLoop loop;
    const auto locale = screens::Localization::fromEnvironment().localeIdentifier();
    ui::WindowServices services(
        loop, std::make_unique<ui::QtUrlOpener>(platform::Log::standard("corvane", platform::Log::Level::info)),
        locale);
    app::ContentView root(services.services());
    auto adapter = ui::bindRoot(root);
    ui::WindowEngine engine;
    if (engine.load(*adapter) == nullptr) return 1;
    const int code = app.exec();
    return code;
  } catch (const std::exception& e) {
    std::cerr << "corvane: " << e.what() << "\n";
    return 1;
  }
}
