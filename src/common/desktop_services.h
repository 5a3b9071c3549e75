#pragma once

#include <string>

namespace droplet {

// What the portable code asks of the screen. Each GUI backend implements it; tests plug in a
// scripted double that answers from a script and records every box.
class DesktopServices {
 public:
  virtual ~DesktopServices() = default;

  // Shows a modal message box and returns the button pressed (kIdOk, kIdYes, kIdNo, ...).
  // `style` is a combination of the kMb* words; an empty `title` stands for the application's
  // title. Lines in `text` are separated by CR, LF or CR LF.
  virtual int ShowMessageBox(const std::string& text, unsigned style, const std::string& title) = 0;

  // Same, but the box is placed with ComputeBoxPosition before it is shown: centred on the
  // owner window (the active one, or else the program's main window) when `centerOnOwner` is
  // true, on the screen's work area otherwise.
  virtual int ShowCenteredMessageBox(const std::string& text, unsigned style,
                                     const std::string& title, bool centerOnOwner) = 0;

  // Hourglass over the application while `busy` is true.
  virtual void SetBusyPointer(bool busy) = 0;

  // Ends the program at once: no further handler runs, no window asks anything.
  [[noreturn]] virtual void EndProgram() = 0;
};

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
