#pragma once
// Desktop notifications over the session bus (org.freedesktop.Notifications), which every
// Linux desktop's notification server answers, with or without a tray.
#include <QDBusConnection>
#include <QObject>
#include <QString>

namespace corvane::ui {

class DesktopNotifier : public QObject {
  Q_OBJECT

 public:
  explicit DesktopNotifier(QDBusConnection bus, QObject* parent = nullptr);

  // Shows one notification in place of the last one this notifier showed (a "Disconnected"
  // replaces the "Connected" still on screen). Never waits for the server: the answer, which
  // carries the notification's id, arrives later, and a missing server costs nothing.
  void notify(const QString& summary, const QString& body);

  static constexpr const char* kService = "org.freedesktop.Notifications";
  static constexpr const char* kPath = "/org/freedesktop/Notifications";

 private:
  QDBusConnection bus_;
  uint shown_ = 0;  // the server's id of the last notification, 0 before the first answer
};

}  // namespace corvane::ui
