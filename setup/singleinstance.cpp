#include "singleinstance.h"

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>

#ifndef _WIN32
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr char kFront[] = "front\n";

#ifndef _WIN32

// A folder only this user can reach: its own, a real folder (no link), closed to everyone else.
bool IsPrivateFolder(const QString& path) {
  struct stat st {};
  return !path.isEmpty() && QDir::isAbsolutePath(path) &&
         ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
         st.st_uid == ::getuid() && (st.st_mode & 077) == 0;
}

// Where the socket lies: the user's runtime folder, else a folder of the user's own in the
// temporary folder; empty when neither can be trusted (someone else made it, say).
QString PrivateFolder() {
  const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (IsPrivateFolder(runtime)) return runtime;
  const QString own = QDir::tempPath() + u"/QRBSetup-"_s + QString::number(::getuid());
  ::mkdir(QFile::encodeName(own).constData(), 0700);
  return IsPrivateFolder(own) ? own : QString();
}

#endif

}  // namespace

bool SameUserAtOtherEnd(qintptr socket) {
#if defined(SO_PEERCRED)
  struct ucred peer {};
  socklen_t size = sizeof peer;
  return ::getsockopt(static_cast<int>(socket), SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 &&
         peer.uid == ::getuid();
#elif defined(_WIN32)
  // Named pipes of one session are the user's own.
  Q_UNUSED(socket);
  return true;
#else
  uid_t uid = 0;
  gid_t gid = 0;
  return ::getpeereid(static_cast<int>(socket), &uid, &gid) == 0 && uid == ::getuid();
#endif
}

SingleInstance::SingleInstance(QString name, QObject* parent)
    : QObject(parent), name_(std::move(name)) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::DefaultName() {
#ifdef _WIN32
  return u"QRBSetup"_s;
#else
  const QString folder = PrivateFolder();
  return folder.isEmpty() ? QString() : folder + u"/QRBSetup"_s;
#endif
}

bool SingleInstance::Claim() {
  // Without a place nobody else can reach, setup runs unguarded rather than obey a stranger.
  if (name_.isEmpty()) return true;
  {
    QLocalSocket socket;
    socket.connectToServer(name_);
    if (socket.waitForConnected(1000) && SameUserAtOtherEnd(socket.socketDescriptor())) {
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
    // Left behind by a setup that did not end cleanly, or not ours: nobody we obey answered.
    QLocalServer::removeServer(name_);
    server_->listen(name_);
  }
  connect(server_, &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
      connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
      if (!SameUserAtOtherEnd(socket->socketDescriptor())) {
        socket->abort();
        continue;
      }
      connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
        if (socket->readAll().contains('f')) emit Activate();
      });
    }
  });
  return true;
}
