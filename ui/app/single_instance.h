#pragma once
// One window per user: the first start listens on a local socket named after the user; a
// later start finds it, asks it to raise its window, and ends.
#include <QLocalServer>
#include <QObject>

namespace corvane::ui {

class SingleInstance : public QObject {
  Q_OBJECT

 public:
  // `name` defaults to one per user ("corvane-<uid>").
  explicit SingleInstance(QString name = {});

  // True when this process is the one instance (it now listens); false when another one
  // answered and was asked to raise its window.
  bool claim();

 signals:
  void raiseRequested();

 private:
  QString name_;
  QLocalServer server_;
};

}  // namespace corvane::ui
