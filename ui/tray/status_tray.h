#pragma once
// The tray of a desktop VPN client: its icon and tooltip follow the status word, its menu
// connects and disconnects, and a desktop notification tells when the tunnel came up or
// dropped. Connect and disconnect ask exactly what the picker asks ("ConnectFromServer",
// "disConnectFromServer"), so the dashboard's connect button answers both alike. Signed out
// there is no dashboard: Connect is not offered then, and Disconnect asks the tunnel service
// itself, since a log-out leaves the tunnel up.
//
// Everything but the icon itself works without a tray: the look and the menu are kept here
// and read by the icon when there is one, and the notifications go out either way (many
// desktops show notifications but have no tray).
#include <QObject>
#include <QString>

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/notifications/notification_center.h"
#include "platform/vpn/daemon_observation.h"
#include "platform/vpn/vpn_status.h"
#include "screenkit/localization.h"
#include "screenkit/services.h"

class QAction;
class QMenu;
class QSystemTrayIcon;

namespace corvane::ui {

class DesktopNotifier;

// What the tray shows for one status word, signed in or not.
struct TrayLook {
  QString tooltip;
  QString icon;  // a resource path
  bool connectEnabled = false;
  bool disconnectEnabled = false;
};
TrayLook trayLook(std::string_view statusWord, bool loggedIn, const screenkit::Localization& locale);

// Decides the desktop notifications: one when the tunnel came up from down, one when it went
// down from up. Passing states (connecting, reasserting, disconnecting) and repeats decide
// nothing; an unknown state (the service has not answered) forgets where the tunnel was, so
// the first answer after it is taken as it stands rather than announced.
class TunnelNoticeRule {
 public:
  enum class Notice { none, connected, dropped };
  explicit TunnelNoticeRule(platform::VpnStatus initial) { next(initial); }
  Notice next(platform::VpnStatus status);

 private:
  std::optional<bool> up_;
};

class StatusTray : public QObject {
  Q_OBJECT

 public:
  // `notifier` may be null (no session bus); `showIcon` is false where the desktop has no
  // tray, and the status is then still followed for the notifications.
  StatusTray(screenkit::Services services, DesktopNotifier* notifier, bool showIcon);
  ~StatusTray() override;

  const std::string& statusWord() const { return word_; }
  const TrayLook& look() const { return look_; }
  QAction& connectAction() { return *connect_; }
  QAction& disconnectAction() { return *disconnect_; }
  QMenu& menu() { return *menu_; }
  bool iconShown() const { return icon_ != nullptr; }

 private:
  // A new status from the tunnel service: the word (the last one stays for a status that
  // has none), the look, and the notification it calls for.
  void statusChanged(platform::VpnStatus status);
  void show(std::string word);
  // The look again for the same word, with "loggedIn" read again.
  void refresh() { show(word_); }

  screenkit::Services services_;
  screenkit::Localization locale_;
  DesktopNotifier* notifier_;
  std::unique_ptr<QMenu> menu_;
  QAction* connect_ = nullptr;
  QAction* disconnect_ = nullptr;
  std::unique_ptr<QSystemTrayIcon> icon_;
  std::string word_;
  TrayLook look_;
  std::optional<TunnelNoticeRule> notices_;
  platform::DaemonObservation statusObservation_;
  platform::ObserverRegistration statusObserver_;
  platform::ObserverRegistration loginObserver_;
};

}  // namespace corvane::ui
