#include "singleinstance.h"

#include <QLocalServer>
#include <QLocalSocket>

#ifndef _WIN32
#include <unistd.h>
#endif

using namespace Qt::Literals::StringLiterals;

namespace {
constexpr char kFront[] = "front\n";
}

SingleInstance::SingleInstance(QString name, QObject* parent)
    : QObject(parent), name_(std::move(name)) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::DefaultName() {
#ifdef _WIN32
  return u"QRBSetup"_s;
#else
  return u"QRBSetup-"_s + QString::number(::getuid());
#endif
}

bool SingleInstance::Claim() {
  {
    QLocalSocket socket;
    socket.connectToServer(name_);
    if (socket.waitForConnected(1000)) {
      socket.write(kFront);
      socket.waitForBytesWritten(1000);
      socket.disconnectFromServer();
      if (socket.state() != QLocalSocket::UnconnectedState) socket.waitForDisconnected(1000);
      return false;
    }
  }
  server_ = new QLocalServer(this);
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  if (!server_->listen(name_)) {
    // Left behind by a setup that did not end cleanly: nobody answered on it.
    QLocalServer::removeServer(name_);
    server_->listen(name_);
  }
  connect(server_, &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
      connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
      connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
        if (socket->readAll().contains('f')) emit Activate();
      });
    }
  });
  return true;
}
