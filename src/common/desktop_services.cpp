#include "common/desktop_services.h"

#include <utility>

#include "common/message_box.h"

namespace droplet {

void ShowFailure(DesktopServices& desktop, const Failure& failure) {
  desktop.ShowMessageBox(FormatFailureReport(failure), kMbOk, kApplicationTitle);
}

int DesktopServices::ShowMessageBox(const std::string& text, unsigned style, const BoxTitle& title,
                                    BoxPlacement placement) {
  struct OpenBox {
    DesktopServices& desktop;
    explicit OpenBox(DesktopServices& d) : desktop(d) { ++desktop.openBoxes_; }
    ~OpenBox() {
      if (--desktop.openBoxes_ == 0) desktop.ReleaseWaitingSteps();
    }
    OpenBox(const OpenBox&) = delete;
    OpenBox& operator=(const OpenBox&) = delete;
  } open(*this);
  return ShowBox(text, style, title, placement);
}

void DesktopServices::RunWhenNoBoxOpen(std::function<void()> step) {
  if (openBoxes_ > 0) {
    waitingSteps_.push_back(std::move(step));
    return;
  }
  step();
}

void DesktopServices::ReleaseWaitingSteps() {
  if (waitingSteps_.empty()) return;
  // From the event loop rather than inside the box's closing: the caller of the box that just
  // closed goes on first, and may open another box, behind which the steps wait again.
  std::deque<std::function<void()>> steps = std::move(waitingSteps_);
  waitingSteps_.clear();
  PostToWindowThread([this, steps = std::move(steps)]() mutable {
    while (!steps.empty()) {
      std::function<void()> step = std::move(steps.front());
      steps.pop_front();
      RunWhenNoBoxOpen(std::move(step));
    }
  });
}

}  // namespace droplet
