#pragma once

#include <functional>
#include <memory>
#include <utility>

namespace droplet {

// Calls posted to the window's thread may run after their owner is gone: an owner wraps them
// with its guard, and once the guard is destroyed they do nothing. Wrapped calls and the
// guard's destruction both belong to the window's thread, so no lock is needed.
class PostedCallGuard {
 public:
  PostedCallGuard() = default;
  PostedCallGuard(const PostedCallGuard&) = delete;
  PostedCallGuard& operator=(const PostedCallGuard&) = delete;

  std::function<void()> Wrap(std::function<void()> call) const {
    return [alive = std::weak_ptr<const bool>(alive_), call = std::move(call)] {
      if (!alive.expired()) call();
    };
  }

 private:
  std::shared_ptr<const bool> alive_ = std::make_shared<const bool>(true);
};

}  // namespace droplet
