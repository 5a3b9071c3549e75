#pragma once

#include <exception>
#include <functional>
#include <thread>

#include "common/desktop_services.h"
#include "common/posted_call_guard.h"

namespace droplet {

// A step that may take long (hundreds of pages to copy or delete, a folder to empty, a large
// PDF to copy) runs on a thread of its own while the window answers, and the workflow goes on
// from the window's thread once it is over. One step at a time: a new one waits for the last.
class BackgroundStep {
 public:
  explicit BackgroundStep(DesktopServices& desktop) : desktop_(desktop) {}
  // Waits for the step under way; its continuation then never runs.
  ~BackgroundStep();
  BackgroundStep(const BackgroundStep&) = delete;
  BackgroundStep& operator=(const BackgroundStep&) = delete;

  // Runs `work` on a thread of its own, then `then` on the window's thread with what escaped
  // `work` (null when nothing did), for the caller to rethrow where it reports failures.
  // Window thread only.
  void Run(std::function<void()> work, std::function<void(std::exception_ptr)> then);
  // Waits until the step under way has done its work; its continuation still comes through the
  // event loop.
  void Wait();
  // A step was started and its continuation has not run yet.
  bool Pending() const { return pending_; }

 private:
  DesktopServices& desktop_;
  std::thread thread_;
  bool pending_ = false;
  PostedCallGuard posted_;  // last: it goes first, before anything a posted call would touch
};

}  // namespace droplet
