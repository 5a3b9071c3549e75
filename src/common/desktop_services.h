#pragma once

#include <deque>
#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "common/failure.h"

namespace droplet {

// Where a message box appears.
enum class BoxPlacement {
  kSystem,            // wherever the windowing system puts it
  kCenterOnWorkArea,  // centred on the work area of the screen
  kCenterOnOwner,     // centred on its owner window, the active one or else the main window
};

// A box's title: a text of its own (which may be empty), or the application's title.
using BoxTitle = std::optional<std::string>;
inline const BoxTitle kApplicationTitle = std::nullopt;

// What the portable code asks of the screen. Each GUI backend implements it; tests plug in a
// scripted double that answers from a script and records every box.
class DesktopServices {
 public:
  virtual ~DesktopServices() = default;

  // Shows a modal message box and returns the button pressed (kIdOk, kIdYes, kIdNo, ...).
  // `style` is a combination of the kMb* words. Lines in `text` are separated by CR, LF or
  // CR LF. A placed box is moved with ComputeBoxPosition before it shows.
  // While it shows, the program's waiting steps (RunWhenNoBoxOpen) wait for it.
  int ShowMessageBox(const std::string& text, unsigned style, const BoxTitle& title,
                     BoxPlacement placement = BoxPlacement::kSystem);

  // Busy pointer over the main window while `busy` is true.
  virtual void SetBusyPointer(bool busy) = 0;

  // Runs `call` on the window's thread once the events already queued there are handled.
  // Safe from any thread; calls run in the order they were posted.
  virtual void PostToWindowThread(std::function<void()> call) = 0;

  // Ends the program at once: no further handler runs, no window asks anything.
  [[noreturn]] virtual void EndProgram() = 0;

  // Runs `step` now when no box of the program is open, else once the last open box has
  // closed, from the event loop, in the order the steps came. A box's own event loop also runs
  // posted calls: without this, a step of a run that shows a box would pile its box onto the
  // quit question or About. Window thread only.
  void RunWhenNoBoxOpen(std::function<void()> step);
  bool BoxOpen() const { return openBoxes_ > 0; }

 protected:
  // ShowMessageBox as each backend implements it.
  virtual int ShowBox(const std::string& text, unsigned style, const BoxTitle& title,
                      BoxPlacement placement) = 0;

 private:
  // Hands the waiting steps back to the event loop once the last box has closed.
  void ReleaseWaitingSteps();

  int openBoxes_ = 0;
  std::deque<std::function<void()>> waitingSteps_;
};

// Shows `failure` in a box titled as the application, in the form of the run's reports:
// "description - source - number".
void ShowFailure(DesktopServices& desktop, const Failure& failure);

// Runs `step`: a handler of a window event, or a step of the workflow. A failure that escapes
// it is shown (ShowFailure; any other exception as a failure of `source` with the number 0) and
// goes no further: it must never unwind through the toolkit's event handling. Returns whether
// `step` ran through.
template <typename Step>
bool ShowingFailures(DesktopServices& desktop, const std::string& source, Step&& step) {
  try {
    std::forward<Step>(step)();
    return true;
  } catch (const OperationFailure& failure) {
    ShowFailure(desktop, failure.failure());
  } catch (const std::exception& failure) {
    ShowFailure(desktop, {0, failure.what(), source});
  }
  return false;
}

// Shows the busy pointer for its own lifetime, so every way out of a block restores it.
class BusyPointerGuard {
 public:
  explicit BusyPointerGuard(DesktopServices& desktop) : desktop_(desktop) {
    desktop_.SetBusyPointer(true);
  }
  ~BusyPointerGuard() { desktop_.SetBusyPointer(false); }
  BusyPointerGuard(const BusyPointerGuard&) = delete;
  BusyPointerGuard& operator=(const BusyPointerGuard&) = delete;

 private:
  DesktopServices& desktop_;
};

}  // namespace droplet
