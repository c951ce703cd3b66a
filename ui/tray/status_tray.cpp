#include "ui/tray/status_tray.h"

#include <QAction>
#include <QIcon>
#include <QMenu>
#include <QSystemTrayIcon>

#include "keys/notification_names.h"
#include "keys/preference_key.h"
#include "keys/tunnel_status_text.h"
#include "tunnelcore/tunnel_core.h"
#include "ui/tray/desktop_notifier.h"

namespace corvane::ui {

namespace {

using platform::VpnStatus;
using Words = keys::TunnelStatusText;

QString qs(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The status a stored word stands for, where no tunnel core reports the status itself.
VpnStatus statusOfWord(std::string_view word) {
  if (word == Words::connected) return VpnStatus::connected;
  if (word == Words::connecting) return VpnStatus::connecting;
  if (word == Words::disconnecting) return VpnStatus::disconnecting;
  return VpnStatus::disconnected;
}

}  // namespace

TrayLook trayLook(std::string_view word, bool loggedIn, const screenkit::Localization& locale) {
  TrayLook look;
  look.tooltip = QStringLiteral("CorvaneVPN · ") + qs(locale.text(word));
  const QString icons = QStringLiteral(":/qt/qml/Corvane/assets/icons/");
  if (word == Words::connected) {
    look.icon = icons + QStringLiteral("powerConnect.svg");
  } else if (word == Words::connecting) {
    look.icon = icons + QStringLiteral("powerConnecting.svg");
  } else {
    look.icon = icons + QStringLiteral("powerButtonOff.svg");
  }
  // The same choices the power button offers: connect from down, disconnect from up or on
  // the way up; nothing while the tunnel is on its way down. Connecting needs the dashboard,
  // which exists only while signed in. A log-out leaves the tunnel as it is, so disconnecting
  // stays offered signed out: the user must always be able to take the tunnel down.
  look.connectEnabled = loggedIn && word == Words::disconnected;
  look.disconnectEnabled = word == Words::connected || word == Words::connecting;
  return look;
}

TunnelNoticeRule::Notice TunnelNoticeRule::next(VpnStatus status) {
  switch (status) {
    case VpnStatus::invalid:
      up_.reset();
      return Notice::none;
    case VpnStatus::connected: {
      const bool wasDown = up_ == false;
      up_ = true;
      return wasDown ? Notice::connected : Notice::none;
    }
    case VpnStatus::disconnected: {
      const bool wasUp = up_ == true;
      up_ = false;
      return wasUp ? Notice::dropped : Notice::none;
    }
    case VpnStatus::connecting:
    case VpnStatus::reasserting:
    case VpnStatus::disconnecting:
      return Notice::none;
  }
  return Notice::none;
}

StatusTray::StatusTray(screenkit::Services services, DesktopNotifier* notifier, bool showIcon)
    : services_(std::move(services)),
      locale_(services_.localeIdentifier),
      notifier_(notifier),
      menu_(std::make_unique<QMenu>()) {
  connect_ = menu_->addAction(qs(locale_.text("Connect")));
  disconnect_ = menu_->addAction(qs(locale_.text("Disconnect")));
  QObject::connect(connect_, &QAction::triggered, this, [this] {
    services_.notifications.post(std::string(keys::kConnectFromServer));
  });
  QObject::connect(disconnect_, &QAction::triggered, this, [this] {
    // Signed in, the dashboard's button stops it (and frees the server's slot with the
    // account); signed out there is no dashboard, and the tunnel service is asked directly.
    if (services_.preferences.get(keys::pref::loggedIn) || services_.tunnelCore == nullptr) {
      services_.notifications.post(std::string(keys::kDisconnectFromServer));
    } else {
      services_.tunnelCore->extensionProfile.stop();
    }
  });
  // "loggedIn" has no change notification of its own, and a command-line log-out changes it
  // from another process: it is read again whenever the menu opens, and after a sign-in
  // (posted on the main thread, once the login screen has stored it).
  QObject::connect(menu_.get(), &QMenu::aboutToShow, this, [this] { refresh(); });
  loginObserver_ = platform::ObserverRegistration(
      services_.notifications,
      services_.notifications.addObserver(std::string(keys::kLoginSuccess), [this] { refresh(); }));
  if (showIcon) {
    icon_ = std::make_unique<QSystemTrayIcon>();
    icon_->setContextMenu(menu_.get());
  }

  VpnStatus initial = VpnStatus::invalid;
  if (tunnelcore::TunnelCore* core = services_.tunnelCore) {
    // The service's own status, whichever screen is shown (the stored word is kept only
    // while the dashboard exists).
    initial = core->extensionProfile.vpnStatus();
    statusObservation_ = core->extensionProfile.observeStatus([this](VpnStatus status) { statusChanged(status); });
    show(std::string(Words::of(initial).value_or(Words::disconnected)));
  } else {
    // No tunnel core: the stored word, read again once the screens have stored the new one.
    const std::string stored = Words::shown(services_.preferences.get(keys::pref::vpnStatus));
    initial = statusOfWord(stored);
    show(stored);
    statusObserver_ = platform::ObserverRegistration(
        services_.notifications,
        services_.notifications.addObserver(platform::kVpnStatusDidChangeNotification, [this] {
          services_.mainLoop.post([this] {
            statusChanged(statusOfWord(Words::shown(services_.preferences.get(keys::pref::vpnStatus))));
          });
        }));
  }
  notices_.emplace(initial);
  if (icon_) icon_->show();
}

StatusTray::~StatusTray() {
  if (icon_) icon_->hide();
}

void StatusTray::statusChanged(VpnStatus status) {
  if (auto word = Words::of(status)) show(std::string(*word));
  const auto notice = notices_->next(status);
  if (notifier_ == nullptr || notice == TunnelNoticeRule::Notice::none) return;
  const bool up = notice == TunnelNoticeRule::Notice::connected;
  notifier_->notify(QStringLiteral("CorvaneVPN"),
                    qs(locale_.text(up ? Words::connected : Words::disconnected)));
}

void StatusTray::show(std::string word) {
  word_ = std::move(word);
  look_ = trayLook(word_, services_.preferences.get(keys::pref::loggedIn), locale_);
  connect_->setEnabled(look_.connectEnabled);
  disconnect_->setEnabled(look_.disconnectEnabled);
  if (icon_) {
    icon_->setIcon(QIcon(look_.icon));
    icon_->setToolTip(look_.tooltip);
  }
}

}  // namespace corvane::ui
