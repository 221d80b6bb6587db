#include "platform/gui/InstanceLock.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>

#include "platform/classlib/Exceptions.h"
#include "platform/gui/Application.h"

namespace gui {

namespace {

constexpr char raiseRequest[] = "raise\n";

std::string Folder(const std::string &folder) {
  if (!folder.empty())
    return folder;
  QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (runtime.isEmpty())
    runtime = QDir::tempPath();
  return runtime.toStdString();
}

} // namespace

TInstanceLock::TInstanceLock(const std::string &name, const std::string &folder) {
  std::string dir = Folder(folder);
  lockPath_ = dir + "/" + name + ".lock";
  serverPath_ = dir + "/" + name + ".socket";
}

TInstanceLock::~TInstanceLock() { Release(); }

bool TInstanceLock::TryAcquire() {
  if (Held())
    return true;
  auto lock = std::make_unique<QLockFile>(QString::fromStdString(lockPath_));
  // Only a dead owner makes a lock stale, never its age.
  lock->setStaleLockTime(0);
  if (!lock->tryLock(0)) {
    if (lock->error() == QLockFile::LockFailedError)
      return false;
    throw Exception("Unable to create the single-instance lock " + lockPath_);
  }
  lock_ = std::move(lock);
  // Holding the lock makes any socket file left behind ours to replace.
  QLocalServer::removeServer(QString::fromStdString(serverPath_));
  server_ = std::make_unique<QLocalServer>();
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  if (server_->listen(QString::fromStdString(serverPath_))) {
    QLocalServer *server = server_.get();
    QObject::connect(server, &QLocalServer::newConnection, server, [this, server] {
      while (QLocalSocket *s = server->nextPendingConnection()) {
        QObject::connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
        auto readRequest = [this, s] {
          if (!s->canReadLine())
            return;
          QByteArray line = s->readLine();
          if (line == raiseRequest && OnRaiseRequest)
            Guarded(OnRaiseRequest);
        };
        QObject::connect(s, &QLocalSocket::readyRead, s, readRequest);
        readRequest();
      }
    });
  }
  // Without the server the lock still keeps a second copy out; it just
  // cannot raise this one.
  return true;
}

bool TInstanceLock::Held() const { return lock_ && lock_->isLocked(); }

void TInstanceLock::Release() {
  if (server_) {
    server_->close();
    server_.reset();
  }
  if (lock_) {
    lock_->unlock();
    lock_.reset();
  }
}

bool TInstanceLock::RaisePrior() {
  QLocalSocket socket;
  socket.connectToServer(QString::fromStdString(serverPath_));
  if (!socket.waitForConnected(1000))
    return false;
  socket.write(raiseRequest);
  bool sent = socket.waitForBytesWritten(1000);
  socket.disconnectFromServer();
  return sent;
}

} // namespace gui
