#include "front_end/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <utility>

#include "common/descriptor_posix.h"

// The instance holds a lock on a file and listens on a local socket, both named after the folder
// in a folder that only the user can enter: the runtime folder ($XDG_RUNTIME_DIR) when it is
// such, else one made for the purpose in the temporary folder. A later start finds the lock held
// and hands its files over through the socket. The system lets go of the lock of a program that
// ended in any way. Nothing another user owns is ever used: not a folder, not the lock file, not
// a socket or the program that listens on it. Without a private folder or lock file the program
// runs unguarded and says so.
//
// How a later start talks to the instance: each file as UTF-8 followed by a NUL, then one more
// NUL (no file is named by empty text, so two NULs end the message); the instance answers "ok"
// and a line feed once it has taken them.

namespace droplet {
namespace {

constexpr qsizetype kLargestMessage = 1 << 20;

bool OwnedByUser(const struct stat& status) {
  return status.st_uid == ::geteuid();
}

// `path` itself, not a link, when it is a folder of the user's that nobody else may enter:
// checked on the opened folder, so that what was checked is what is used. -1 otherwise.
int OpenPrivateFolder(const std::string& path) {
  const int folder = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (folder < 0) return -1;
  struct stat status {};
  if (::fstat(folder, &status) != 0 || !S_ISDIR(status.st_mode) || !OwnedByUser(status) ||
      (status.st_mode & 07777) != 0700) {
    ::close(folder);
    return -1;
  }
  return folder;
}

// Another user could rename or remove what `folder` holds: it is theirs, or they may write in
// it and it is not sticky.
bool OthersMayReplaceEntriesOf(const std::string& folder) {
  struct stat status {};
  if (::stat(folder.c_str(), &status) != 0) return true;
  const bool othersOwn = status.st_uid != 0 && !OwnedByUser(status);
  const bool othersWrite = (status.st_mode & (S_IWGRP | S_IWOTH)) != 0;
  return othersOwn || (othersWrite && (status.st_mode & S_ISVTX) == 0);
}

// The folder of the claim, opened (`descriptor`), or empty text when none can be had (`tried`
// then says what was refused).
std::string ClaimFolder(std::optional<Descriptor>& descriptor, std::string& tried) {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && runtime[0] == '/') {
    if (const int opened = OpenPrivateFolder(runtime); opened >= 0) {
      descriptor.emplace(opened);
      return runtime;
    }
    tried = std::string(runtime) + " (XDG_RUNTIME_DIR), ";
  }
  const std::string temporary = QFile::encodeName(QDir::tempPath()).toStdString();
  const std::string own = temporary + "/droplet-" + std::to_string(::geteuid());
  tried += own;
  if (OthersMayReplaceEntriesOf(temporary)) return {};
  if (::mkdir(own.c_str(), 0700) != 0 && errno != EEXIST) return {};
  const int opened = OpenPrivateFolder(own);
  if (opened < 0) return {};
  descriptor.emplace(opened);
  return own;
}

// The lock file `name` in `folder`, made when missing: a plain file of the user's, else -1.
int OpenLockFile(int folder, const std::string& name) {
  const int lock = ::openat(folder, name.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (lock < 0) return -1;
  struct stat status {};
  if (::fstat(lock, &status) != 0 || !S_ISREG(status.st_mode) || !OwnedByUser(status)) {
    ::close(lock);
    return -1;
  }
  return lock;
}

// The program at the other end of a connected local socket runs as this user.
bool PeerIsUser(qintptr socket) {
  struct ucred peer {};
  socklen_t size = sizeof peer;
  return socket >= 0 &&
         ::getsockopt(static_cast<int>(socket), SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 &&
         peer.uid == ::geteuid();
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
  std::optional<Descriptor> folder;
  std::optional<Descriptor> lock;  // held, while this process is the instance
  QString socketPath;              // empty when the program runs unguarded
  bool first = false;
  std::unique_ptr<QLocalServer> server;
};

SingleInstance::SingleInstance(const std::string& name) : state_(std::make_unique<State>()) {
  std::string tried;
  const std::string folder = ClaimFolder(state_->folder, tried);
  if (folder.empty()) {
    std::fprintf(stderr,
                 "no private folder for the lock file (refused: %s); running unguarded, a later "
                 "start opens a window of its own\n",
                 tried.c_str());
    state_->first = true;
    return;
  }
  const std::string lockName = name + ".lock";
  const int lock = OpenLockFile(state_->folder->get(), lockName);
  if (lock < 0) {
    // Missing and not made, or not a plain file of the user's.
    std::fprintf(stderr, "cannot use the lock file %s/%s; running unguarded\n", folder.c_str(),
                 lockName.c_str());
    state_->first = true;
    return;
  }
  state_->socketPath =
      QFile::decodeName(QByteArray::fromStdString(folder + "/" + name + ".socket"));
  if (::flock(lock, LOCK_EX | LOCK_NB) == 0) {
    state_->lock.emplace(lock);
    state_->first = true;
    return;
  }
  const int error = errno;
  ::close(lock);
  if (error != EWOULDBLOCK) {
    std::fprintf(stderr, "cannot lock the lock file %s/%s; running unguarded\n", folder.c_str(),
                 lockName.c_str());
    state_->socketPath.clear();
    state_->first = true;
  }
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::IsFirst() const {
  return state_->first;
}

std::string SingleInstance::Address() const {
  return QFile::encodeName(state_->socketPath).toStdString();
}

bool SingleInstance::Listen(std::function<void(const std::vector<std::string>&)> receive) {
  if (state_->socketPath.isEmpty()) return false;
  state_->server = std::make_unique<QLocalServer>();
  QLocalServer* server = state_->server.get();
  server->setSocketOptions(QLocalServer::UserAccessOption);
  // A socket left by an instance that ended without removing it: the lock is this one's now.
  QLocalServer::removeServer(state_->socketPath);
  if (!server->listen(state_->socketPath)) return false;
  QObject::connect(server, &QLocalServer::newConnection, server, [server, receive] {
    while (QLocalSocket* socket = server->nextPendingConnection()) {
      QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
      if (!PeerIsUser(socket->socketDescriptor())) {
        socket->abort();
        socket->deleteLater();
        continue;
      }
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
  if (state_->socketPath.isEmpty()) return false;
  const std::string socketPath = Address();
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
    struct stat status {};
    if (::lstat(socketPath.c_str(), &status) == 0 &&
        (!S_ISSOCK(status.st_mode) || !OwnedByUser(status))) {
      return false;
    }
    QLocalSocket socket;
    socket.connectToServer(state_->socketPath);
    if (!socket.waitForConnected(remaining())) {
      // The instance has the lock but does not listen yet: it is starting.
      QThread::msleep(50);
      continue;
    }
    // Whoever listens there gets the files only when they run as this user.
    if (!PeerIsUser(socket.socketDescriptor())) {
      socket.abort();
      return false;
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
