#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace droplet {

// One running program per working folder: two programs sharing a scratch area would delete
// each other's copies. The first start for a folder becomes its instance: it holds a lock file
// and listens on a local socket, both named after the folder (InstanceName) in the user's
// runtime folder. A later start finds the lock held and hands its files over through the socket
// instead of showing a window of its own. A lock left by a program that no longer runs is
// taken over.
class SingleInstance {
 public:
  explicit SingleInstance(const std::string& name);
  ~SingleInstance();
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  // True when this process is the instance for its folder.
  bool IsFirst() const { return first_; }

  // The instance: from now on calls `receive` on the application's thread with the files of
  // each later start (none when it named no file). False when the socket cannot listen; later
  // starts then cannot reach this one.
  bool Listen(std::function<void(const std::vector<std::string>&)> receive);

  // A later start: hands `files` to the instance and waits until it has taken them. False when
  // the instance did not take them within `timeoutMs` (it may still be starting, or hang).
  bool HandOver(const std::vector<std::string>& files, int timeoutMs);

  // Where the lock file and the socket lie.
  const QString& lockPath() const { return lockPath_; }
  const QString& socketPath() const { return socketPath_; }

 private:
  QString lockPath_;
  QString socketPath_;
  QLockFile lock_;
  bool first_ = false;
  std::unique_ptr<QLocalServer> server_;
};

}  // namespace droplet
