#include "ui/tray/desktop_notifier.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

namespace corvane::ui {

DesktopNotifier::DesktopNotifier(QDBusConnection bus, QObject* parent)
    : QObject(parent), bus_(std::move(bus)) {}

void DesktopNotifier::notify(const QString& summary, const QString& body) {
  if (!bus_.isConnected()) return;
  if (asking_) {
    waiting_.emplace(summary, body);
    return;
  }
  send(summary, body);
}

void DesktopNotifier::send(const QString& summary, const QString& body) {
  QDBusMessage call = QDBusMessage::createMethodCall(QString::fromLatin1(kService), QString::fromLatin1(kPath),
                                                     QString::fromLatin1(kService), QStringLiteral("Notify"));
  // app_name, replaces_id, app_icon, summary, body, actions, hints, expire_timeout (-1: the
  // server's default).
  call << QStringLiteral("CorvaneVPN") << shown_ << QStringLiteral("net.corvane.client") << summary << body
       << QStringList() << QVariantMap{{QStringLiteral("desktop-entry"), QStringLiteral("net.corvane.client")}}
       << qint32(-1);
  asking_ = true;
  auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* done) {
    const QDBusPendingReply<uint> reply = *done;
    // A failed call (no server, an error) keeps the last id: the next one still replaces
    // what is on screen, if anything is.
    if (reply.isValid()) shown_ = reply.value();
    done->deleteLater();
    asking_ = false;
    if (auto next = std::exchange(waiting_, std::nullopt)) send(next->first, next->second);
  });
}

}  // namespace corvane::ui
