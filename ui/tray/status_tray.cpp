#include "ui/tray/status_tray.h"

#include <QAction>
#include <QIcon>
#include <QMenu>

#include "keys/notification_names.h"
#include "keys/preference_key.h"
#include "keys/tunnel_status_text.h"
#include "platform/vpn/vpn_status.h"
#include "screenkit/localization.h"

namespace corvane::ui {

namespace {

QString qs(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QIcon iconFor(const std::string& status) {
  if (status == "Connected") return QIcon(QStringLiteral(":/qt/qml/Corvane/assets/icons/powerConnect.svg"));
  if (status == "Connecting") return QIcon(QStringLiteral(":/qt/qml/Corvane/assets/icons/powerConnecting.svg"));
  return QIcon(QStringLiteral(":/qt/qml/Corvane/assets/icons/powerButtonOff.svg"));
}

}  // namespace

std::unique_ptr<StatusTray> StatusTray::make(screenkit::Services services) {
  if (!QSystemTrayIcon::isSystemTrayAvailable()) return nullptr;
  return std::make_unique<StatusTray>(std::move(services));
}

StatusTray::StatusTray(screenkit::Services services)
    : services_(std::move(services)), menu_(std::make_unique<QMenu>()) {
  const screenkit::Localization locale(services_.localeIdentifier);
  connect_ = menu_->addAction(qs(locale.text("Connect")));
  disconnect_ = menu_->addAction(qs(locale.text("Disconnect")));
  QObject::connect(connect_, &QAction::triggered, this, [this] {
    services_.notifications.post(std::string(keys::kConnectFromServer));
  });
  QObject::connect(disconnect_, &QAction::triggered, this, [this] {
    services_.notifications.post(std::string(keys::kDisconnectFromServer));
  });
  icon_.setContextMenu(menu_.get());
  // The controller stores the new word in its own observer of the same notification; read
  // it once every observer has run.
  statusObserver_ = platform::ObserverRegistration(
      services_.notifications,
      services_.notifications.addObserver(platform::kVpnStatusDidChangeNotification, [this] {
        services_.mainLoop.post([this] { refresh(); });
      }));
  refresh();
  icon_.show();
}

StatusTray::~StatusTray() { icon_.hide(); }

std::string StatusTray::statusWord() const {
  return keys::TunnelStatusText::shown(services_.preferences.get(keys::pref::vpnStatus));
}

void StatusTray::refresh() {
  const std::string status = statusWord();
  const screenkit::Localization locale(services_.localeIdentifier);
  icon_.setIcon(iconFor(status));
  icon_.setToolTip(QStringLiteral("CorvaneVPN · ") + qs(locale.text(status)));
  connect_->setEnabled(connectEnabled());
  disconnect_->setEnabled(disconnectEnabled());
  // A notification when the tunnel came up, and when a tunnel that was up went down.
  if (!last_.empty() && status != last_) {
    if (status == "Connected") {
      icon_.showMessage(QStringLiteral("CorvaneVPN"), qs(locale.text(status)),
                        QSystemTrayIcon::Information);
    } else if (last_ == "Connected" && status == "Disconnected") {
      icon_.showMessage(QStringLiteral("CorvaneVPN"), qs(locale.text(status)),
                        QSystemTrayIcon::Warning);
    }
  }
  last_ = status;
}

QString StatusTray::tooltip() const { return icon_.toolTip(); }
bool StatusTray::connectEnabled() const { return statusWord() == "Disconnected"; }
bool StatusTray::disconnectEnabled() const {
  const std::string status = statusWord();
  return status == "Connected" || status == "Connecting";
}

}  // namespace corvane::ui
