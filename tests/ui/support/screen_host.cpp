#include "ui/support/screen_host.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QElapsedTimer>
#include <QQmlComponent>
#include <QQuickItem>
#include <QTimer>

#include <stdexcept>

namespace corvane::test {

ScreenHost::ScreenHost(const QString& screenType, ui::ModelAdapter& model, QSize size) {
  const QString qml = QStringLiteral(
      "import QtQuick\nimport QtQuick.Window\nimport Corvane\n"
      "Window { id: w; property var m; width: %1; height: %2; visible: true;"
      " color: Theme.formBackground;"
      " %3 { objectName: \"screen\"; anchors.fill: parent; model: w.m; focus: true } }")
                          .arg(size.width()).arg(size.height()).arg(screenType);
  // The host is a file of its own in a folder of its own (QML imports the file's folder).
  QTemporaryDir folder;
  const QString path = folder.filePath(screenType + "Host.qml");
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(qml.toUtf8()) < 0) {
    throw std::runtime_error("cannot write " + path.toStdString());
  }
  file.close();
  engine_.engine().setInitialProperties(
      {{QStringLiteral("m"), QVariant::fromValue<QObject*>(&model)}});
  QStringList problems;
  // Only while loading: the list lives on this stack frame, and later warnings (an image a
  // screen fails to load) must not write into it once the constructor has returned.
  const auto listening = QObject::connect(&engine_.engine(), &QQmlEngine::warnings, [&](const QList<QQmlError>& list) {
    for (const auto& e : list) problems << e.toString();
  });
  engine_.engine().load(QUrl::fromLocalFile(path));
  spinUntil([&] { return !engine_.engine().rootObjects().isEmpty() || !problems.isEmpty(); });
  QObject::disconnect(listening);
  if (engine_.engine().rootObjects().isEmpty()) {
    throw std::runtime_error("cannot load the host: " + problems.join("; ").toStdString());
  }
  QObject* made = engine_.engine().rootObjects().constFirst();
  window_.reset(qobject_cast<QQuickWindow*>(made));
  spinBriefly();
}

ScreenHost::~ScreenHost() {
  window_.reset();
  spinBriefly();
}

QQuickItem& ScreenHost::screen() {
  auto* item = window_->contentItem()->findChild<QQuickItem*>(QStringLiteral("screen"));
  if (item == nullptr) throw std::runtime_error("no screen item");
  return *item;
}

QImage ScreenHost::grab() {
  spinBriefly();
  // Images that load off the GUI thread (the splash's) are waited for: 2 is Image.Loading.
  spinUntil([&] {
    for (QQuickItem* item : window_->findChildren<QQuickItem*>()) {
      if (item->inherits("QQuickImageBase") && item->property("status").toInt() == 2) return false;
    }
    return true;
  });
  spinBriefly();
  return window_->grabWindow();
}

bool spinUntil(const std::function<bool()>& done) {
  QElapsedTimer clock;
  clock.start();
  // Sleeps between events as the app's own loop does. processEvents with a time limit drops
  // WaitForMoreEvents and spins, which burns a core and, on a loaded machine, gets the GUI
  // thread descheduled right when a frame is due; the timer wakes the wait to re-check.
  QTimer wake;
  wake.start(20);
  while (!done() && clock.elapsed() < 10'000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
  }
  return done();
}

void spinBriefly() {
  for (int i = 0; i < 5; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

}  // namespace corvane::test
