#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace droplet {

// One running program per working folder: two programs sharing a scratch area would delete
// each other's copies. The first start for a folder becomes its instance and, once listening,
// takes the files of every later start for the same folder, which then ends instead of showing
// a window of its own. The name (InstanceName) stands for the folder. Each platform keeps the
// claim its own way, where only the user's own programs can reach it; a claim left by a program
// that no longer runs never stops a new start. When no claim of the user's own can be had, the
// start runs unguarded (as the instance, which cannot listen) and says so on standard error.
class SingleInstance {
 public:
  explicit SingleInstance(const std::string& name);
  ~SingleInstance();
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  // True when this process is the instance for its folder.
  bool IsFirst() const;

  // The instance: from now on calls `receive` on the calling thread, from its event loop, with
  // the files of each later start (none when it named no file). False when it cannot listen;
  // later starts then cannot reach this one.
  bool Listen(std::function<void(const std::vector<std::string>&)> receive);

  // A later start: hands `files` to the instance and waits until it has taken them. False when
  // the instance did not take them within `timeoutMs` (it may still be starting, or hang).
  bool HandOver(const std::vector<std::string>& files, int timeoutMs);

  // Where later starts reach the instance, for messages; empty text for a start that runs
  // unguarded.
  std::string Address() const;

  // What each platform keeps; known only to its implementation (and its window procedure).
  struct State;

 private:
  std::unique_ptr<State> state_;
};

}  // namespace droplet
