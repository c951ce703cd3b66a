#include "ui/app/single_instance.h"

#include <QLocalSocket>
#include <unistd.h>

namespace corvane::ui {

SingleInstance::SingleInstance(QString name)
    : name_(name.isEmpty() ? QStringLiteral("corvane-%1").arg(::getuid()) : std::move(name)) {}

bool SingleInstance::claim() {
  QLocalSocket probe;
  probe.connectToServer(name_);
  if (probe.waitForConnected(500)) {
    probe.write("raise\n");
    probe.waitForBytesWritten(500);
    return false;
  }
  // Nobody answered: a socket file left by a crashed instance would block listening.
  QLocalServer::removeServer(name_);
  server_.setSocketOptions(QLocalServer::UserAccessOption);
  if (!server_.listen(name_)) return true;  // no socket, but still the only one we know of
  connect(&server_, &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket* peer = server_.nextPendingConnection()) {
      connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
      emit raiseRequested();
    }
  });
  return true;
}

}  // namespace corvane::ui
