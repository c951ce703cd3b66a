#pragma once
// The tray icon of a desktop VPN client: its icon and tooltip follow the status word,
// its menu connects and disconnects, and a desktop notification tells when the tunnel comes
// up or drops. Connect and disconnect ask exactly what the picker asks ("ConnectFromServer",
// "disConnectFromServer"), so the connection controller treats both alike.
#include <QObject>
#include <QSystemTrayIcon>

#include <memory>
#include <string>

#include "screenkit/services.h"
#include "platform/notifications/notification_center.h"

class QAction;
class QMenu;

namespace corvane::ui {

class StatusTray : public QObject {
  Q_OBJECT

 public:
  // Null when the desktop has no tray.
  static std::unique_ptr<StatusTray> make(screenkit::Services services);
  explicit StatusTray(screenkit::Services services);
  ~StatusTray() override;

  // Reads the status word again and updates the icon, tooltip and menu; notifies when the
  // tunnel came up or dropped since the last reading.
  void refresh();

  QString tooltip() const;
  bool connectEnabled() const;
  bool disconnectEnabled() const;

 private:
  std::string statusWord() const;

  screenkit::Services services_;
  std::unique_ptr<QMenu> menu_;
  QSystemTrayIcon icon_;
  QAction* connect_ = nullptr;
  QAction* disconnect_ = nullptr;
  std::string last_;
  platform::ObserverRegistration statusObserver_;
};

}  // namespace corvane::ui
