#include "ui/app/window_app.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QSystemTrayIcon>

#include "ui/app/window_launch.h"
#include "ui/bindings/screen_bindings.h"
#include "ui/platform/lifecycle_bridge.h"
#include "ui/platform/qt_url_opener.h"
#include "ui/tray/desktop_notifier.h"
#include "ui/tray/status_tray.h"

namespace corvane::ui {

WindowApp::WindowApp(Options options)
    : services_(loop_,
                std::make_unique<QtUrlOpener>(
                    platform::Log::standard("corvane", platform::Log::Level::info)),
                options.localeIdentifier),
      root_(services_.services()),
      adapter_(bindRoot(root_)) {
  if (services_.root().tunnelCore() == nullptr) {
    services_.root().log().warning("no tunnel core: " + services_.root().tunnelCoreError());
  }
  if (options.tray) {
    notifier_ = std::make_unique<DesktopNotifier>(QDBusConnection::sessionBus());
    tray_ = std::make_unique<StatusTray>(services_.services(), notifier_.get(),
                                         QSystemTrayIcon::isSystemTrayAvailable());
  }
  lifecycle_ = std::make_unique<LifecycleBridge>(services_.lifecycle());
}

WindowApp::~WindowApp() {
  lifecycle_.reset();
  tray_.reset();
  notifier_.reset();
  engine_.reset();
  adapter_.reset();
  launch_.reset();
  // Screens taken off the root are destroyed on a later turn of the loop; let those turns
  // run while the services they unregister from still exist.
  for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
}

QQuickWindow* WindowApp::show() {
  engine_ = std::make_unique<WindowEngine>();
  QQuickWindow* window = engine_->load(*adapter_);
  if (window == nullptr) {
    launch();  // no window, but the tunnel core still gets its launch
    return nullptr;
  }
  // The launch's own work (profile refresh registration, the profile server, durable writes)
  // waits for the first frame: it needs nothing on screen and would only delay it.
  auto once = std::make_shared<QMetaObject::Connection>();
  *once = QObject::connect(window, &QQuickWindow::frameSwapped, window, [this, once] {
    QObject::disconnect(*once);
    launch();
  }, Qt::QueuedConnection);
  return window;
}

bool WindowApp::hasTray() const { return tray_ != nullptr && tray_->iconShown(); }

void WindowApp::launch() {
  if (launch_ || services_.root().tunnelCore() == nullptr) return;
  launch_ = std::make_unique<WindowLaunch>(*services_.root().tunnelCore(), services_.root().log());
}

}  // namespace corvane::ui
