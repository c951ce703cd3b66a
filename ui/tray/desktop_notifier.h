#pragma once
// Desktop notifications over the session bus (org.freedesktop.Notifications), which every
// Linux desktop's notification server answers, with or without a tray.
#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <optional>
#include <utility>

namespace corvane::ui {

class DesktopNotifier : public QObject {
  Q_OBJECT

 public:
  explicit DesktopNotifier(QDBusConnection bus, QObject* parent = nullptr);

  // Shows one notification in place of the last one this notifier showed (a "Disconnected"
  // replaces the "Connected" still on screen). Never waits for the server. The id to replace
  // comes in the server's answer to the previous call, so while a call is unanswered the
  // next notification waits for that answer, and only the latest one that waited goes out:
  // a tunnel that flaps faster than the server answers still leaves one notification.
  void notify(const QString& summary, const QString& body);
  // True while a call is unanswered.
  bool asking() const { return asking_; }

  static constexpr const char* kService = "org.freedesktop.Notifications";
  static constexpr const char* kPath = "/org/freedesktop/Notifications";

 private:
  void send(const QString& summary, const QString& body);

  QDBusConnection bus_;
  uint shown_ = 0;  // the server's id of the last notification, 0 before the first answer
  bool asking_ = false;  // a Notify call is unanswered
  std::optional<std::pair<QString, QString>> waiting_;  // summary and body, sent on the answer
};

}  // namespace corvane::ui
