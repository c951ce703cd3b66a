#include "ui/app/window_app.h"

#include <QCoreApplication>

#include "ui/bindings/screen_bindings.h"
#include "ui/platform/lifecycle_bridge.h"
#include "ui/platform/qt_url_opener.h"
#include "ui/tray/status_tray.h"

namespace corvane::ui {

WindowApp::WindowApp(Options options)
    : services_(loop_,
                std::make_unique<QtUrlOpener>(
                    platform::Log::standard("corvane", platform::Log::Level::info)),
                options.localeIdentifier),
      root_(services_.services()),
      adapter_(bindRoot(root_)) {
  if (options.tray) tray_ = StatusTray::make(services_.services());
  lifecycle_ = std::make_unique<LifecycleBridge>(services_.lifecycle());
}

WindowApp::~WindowApp() {
  lifecycle_.reset();
  tray_.reset();
  engine_.reset();
  adapter_.reset();
  // Screens taken off the root are destroyed on a later turn of the loop; let those turns
  // run while the services they unregister from still exist.
  for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
}

QQuickWindow* WindowApp::show() {
  engine_ = std::make_unique<WindowEngine>();
  return engine_->load(*adapter_);
}

}  // namespace corvane::ui
