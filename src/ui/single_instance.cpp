#include "ui/single_instance.h"

#include <QLocalSocket>
#include <unistd.h>

namespace zapvane {

namespace {
constexpr int kConnectTimeoutMs = 500;
const QByteArray kRaise = QByteArrayLiteral("raise\n");
}  // namespace

SingleInstance::SingleInstance(QString name) : name_(std::move(name)) {}

QString SingleInstance::defaultName() { return QStringLiteral("zapvane-%1").arg(::getuid()); }

bool SingleInstance::askRunningInstanceToRaise() {
  QLocalSocket socket;
  socket.connectToServer(name_);
  if (!socket.waitForConnected(kConnectTimeoutMs)) return false;
  socket.write(kRaise);
  socket.waitForBytesWritten(kConnectTimeoutMs);
  socket.disconnectFromServer();
  return true;
}

bool SingleInstance::listen(std::function<void()> raise) {
  raise_ = std::move(raise);
  connect(&server_, &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
      connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
      connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
        if (socket->readAll().contains('\n') && raise_) raise_();
      });
    }
  });
  server_.setSocketOptions(QLocalServer::UserAccessOption);
  if (server_.listen(name_)) return true;
  // A socket left by a process that died: nobody answered it above.
  QLocalServer::removeServer(name_);
  return server_.listen(name_);
}

}  // namespace zapvane
