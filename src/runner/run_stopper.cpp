#include <utility>

#include "runner/child_process.h"

namespace droplet {

void RunStopper::Stop() {
  std::lock_guard lock(mutex_);
  requested_ = true;
  if (kill_) kill_();
}

bool RunStopper::StopRequested() const {
  std::lock_guard lock(mutex_);
  return requested_;
}

void RunStopper::Arm(std::function<void()> kill) {
  std::lock_guard lock(mutex_);
  kill_ = std::move(kill);
  if (requested_ && kill_) kill_();
}

void RunStopper::Disarm() {
  std::lock_guard lock(mutex_);
  kill_ = nullptr;
}

}  // namespace droplet
