#include "front_end/single_instance.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QThread>
#include <cstdio>
#include <utility>

// The instance holds a lock file and listens on a local socket, both named after the folder in
// the user's runtime folder. A later start finds the lock held and hands its files over through
// the socket. A lock left by a program that no longer runs is taken over.
//
// How a later start talks to the instance: each file as UTF-8 followed by a NUL, then one more
// NUL (no file is named by empty text, so two NULs end the message); the instance answers "ok"
// and a line feed once it has taken them.

namespace droplet {
namespace {

constexpr qsizetype kLargestMessage = 1 << 20;

// The user's own runtime folder ($XDG_RUNTIME_DIR, which Qt replaces by a private folder of its
// own when it is not set).
QString RuntimeFolder() {
  QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  return folder.isEmpty() ? QDir::tempPath() : folder;
}

bool IsWholeMessage(const QByteArray& message) {
  return message == QByteArray(1, '\0') || message.endsWith(QByteArray(2, '\0'));
}

std::vector<std::string> FilesOf(const QByteArray& message) {
  std::vector<std::string> files;
  for (const QByteArray& entry : message.split('\0')) {
    if (!entry.isEmpty()) files.emplace_back(entry.constData(), static_cast<size_t>(entry.size()));
  }
  return files;
}

}  // namespace

struct SingleInstance::State {
  explicit State(const std::string& name)
      : lockPath(RuntimeFolder() + QLatin1Char('/') + QString::fromStdString(name) +
                 QStringLiteral(".lock")),
        socketPath(RuntimeFolder() + QLatin1Char('/') + QString::fromStdString(name) +
                   QStringLiteral(".socket")),
        lock(lockPath) {}

  QString lockPath;
  QString socketPath;
  QLockFile lock;
  bool first = false;
  std::unique_ptr<QLocalServer> server;
};

SingleInstance::SingleInstance(const std::string& name) : state_(std::make_unique<State>(name)) {
  // However old the lock, it is another's while the program that took it runs.
  state_->lock.setStaleLockTime(0);
  state_->first = state_->lock.tryLock(0);
  if (!state_->first && state_->lock.error() != QLockFile::LockFailedError) {
    // Nobody holds the lock: it cannot be made at all. The program runs, unguarded.
    std::fprintf(stderr, "cannot create the lock file %s\n", qPrintable(state_->lockPath));
    state_->first = true;
  }
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::IsFirst() const {
  return state_->first;
}

std::string SingleInstance::Address() const {
  return state_->socketPath.toStdString();
}

bool SingleInstance::Listen(std::function<void(const std::vector<std::string>&)> receive) {
  state_->server = std::make_unique<QLocalServer>();
  QLocalServer* server = state_->server.get();
  server->setSocketOptions(QLocalServer::UserAccessOption);
  // A socket left by an instance that ended without removing it: the lock is this one's now.
  QLocalServer::removeServer(state_->socketPath);
  if (!server->listen(state_->socketPath)) return false;
  QObject::connect(server, &QLocalServer::newConnection, server, [server, receive] {
    while (QLocalSocket* socket = server->nextPendingConnection()) {
      QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
      auto message = std::make_shared<QByteArray>();
      QObject::connect(socket, &QLocalSocket::readyRead, socket, [socket, message, receive] {
        message->append(socket->readAll());
        if (message->size() > kLargestMessage) {
          socket->abort();
          return;
        }
        if (!IsWholeMessage(*message)) return;
        receive(FilesOf(*message));
        message->clear();
        socket->write("ok\n");
        socket->flush();
      });
    }
  });
  return true;
}

bool SingleInstance::HandOver(const std::vector<std::string>& files, int timeoutMs) {
  QByteArray message;
  for (const std::string& file : files) {
    message.append(file.data(), static_cast<qsizetype>(file.size()));
    message.append('\0');
  }
  message.append('\0');
  QElapsedTimer clock;
  clock.start();
  const auto remaining = [&] { return std::max<int>(1, timeoutMs - int(clock.elapsed())); };
  while (clock.elapsed() < timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(state_->socketPath);
    if (!socket.waitForConnected(remaining())) {
      // The instance has the lock but does not listen yet: it is starting.
      QThread::msleep(50);
      continue;
    }
    socket.write(message);
    socket.waitForBytesWritten(remaining());
    QByteArray answer;
    while (!answer.contains('\n') && socket.waitForReadyRead(remaining())) {
      answer += socket.readAll();
    }
    return answer.startsWith("ok\n");
  }
  return false;
}

}  // namespace droplet
