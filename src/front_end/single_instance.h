#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace droplet {

// A start's claim on its working folder, as the start-up uses it: SingleInstance, or a test's
// stand-in.
class InstanceClaim {
 public:
  virtual ~InstanceClaim() = default;

  // True when this process is the instance for its folder.
  virtual bool IsFirst() const = 0;

  // The instance: from now on calls `receive` on the calling thread, from its event loop, with
  // the files of each later start (none when it named no file). False when it cannot listen;
  // later starts then cannot reach this one.
  virtual bool Listen(std::function<void(const std::vector<std::string>&)> receive) = 0;

  // A later start: hands `files` to the instance and waits until it has taken them. False when
  // the instance did not take them within `timeoutMs` (it may still be starting, or hang).
  virtual bool HandOver(const std::vector<std::string>& files, int timeoutMs) = 0;

  // Where later starts reach the instance, for messages; empty text for a start that runs
  // unguarded.
  virtual std::string Address() const = 0;
};

// One running program per working folder: two programs sharing a scratch area would delete
// each other's copies. The first start for a folder becomes its instance and, once listening,
// takes the files of every later start for the same folder, which then ends instead of showing
// a window of its own. The name (InstanceName) stands for the folder. Each platform keeps the
// claim its own way, where only the user's own programs can reach it; a claim left by a program
// that no longer runs never stops a new start. When no claim of the user's own can be had, the
// start runs unguarded (as the instance, which cannot listen) and says so on standard error.
class SingleInstance final : public InstanceClaim {
 public:
  explicit SingleInstance(const std::string& name);
  ~SingleInstance() override;
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  bool IsFirst() const override;
  bool Listen(std::function<void(const std::vector<std::string>&)> receive) override;
  bool HandOver(const std::vector<std::string>& files, int timeoutMs) override;
  std::string Address() const override;

  // What each platform keeps; known only to its implementation (and its window procedure).
  struct State;

 private:
  std::unique_ptr<State> state_;
};

}  // namespace droplet
