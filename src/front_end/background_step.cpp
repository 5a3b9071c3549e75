#include "front_end/background_step.h"

#include <utility>

namespace droplet {

BackgroundStep::~BackgroundStep() {
  Wait();
}

void BackgroundStep::Run(std::function<void()> work, std::function<void(std::exception_ptr)> then) {
  Wait();
  pending_ = true;
  thread_ = std::thread([this, work = std::move(work), then = std::move(then)]() mutable {
    std::exception_ptr escaped;
    try {
      work();
    } catch (...) {
      escaped = std::current_exception();
    }
    desktop_.PostToWindowThread(
        posted_.Wrap([this, then = std::move(then), escaped = std::move(escaped)] {
          pending_ = false;
          then(escaped);
        }));
  });
}

void BackgroundStep::Wait() {
  if (thread_.joinable()) thread_.join();
}

}  // namespace droplet
