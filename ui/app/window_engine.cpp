#include "ui/app/window_engine.h"

#include <QFont>
#include <QGuiApplication>
#include <QQuickStyle>

namespace corvane::ui {

void WindowEngine::prepareProcess() { QQuickStyle::setStyle(QStringLiteral("Basic")); }

void WindowEngine::prepareApplication() {
  QFont font(QStringLiteral("Inter"));
  font.setPixelSize(16);
  QGuiApplication::setFont(font);
}

WindowEngine::WindowEngine() { engine_.addImportPath(QStringLiteral("qrc:/qt/qml")); }

QQuickWindow* WindowEngine::load(ModelAdapter& root) {
  engine_.setInitialProperties({{QStringLiteral("root"), QVariant::fromValue<QObject*>(&root)}});
  engine_.load(QUrl(QStringLiteral("qrc:/qt/qml/Corvane/Main.qml")));
  if (engine_.rootObjects().isEmpty()) return nullptr;
  return qobject_cast<QQuickWindow*>(engine_.rootObjects().constLast());
}

}  // namespace corvane::ui
