#include <QApplication>
#include <QQmlApplicationEngine>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QQmlApplicationEngine engine;
  engine.addImportPath(QStringLiteral("qrc:/qt/qml"));
  engine.load(QUrl(QStringLiteral("qrc:/qt/qml/Corvane/Main.qml")));
  return engine.rootObjects().isEmpty() ? 1 : app.exec();
}
