#pragma once

#include <QPointer>
#include <QWidget>

#include "common/desktop_services.h"

namespace droplet {

// The desktop services of the Qt front end: message boxes styled and placed by the window
// helpers, the busy pointer over the main window (over the whole application while there is
// none), queued calls to the application's thread, and the immediate end.
class QtDesktopServices : public DesktopServices {
 public:
  QtDesktopServices() = default;
  ~QtDesktopServices() override;
  QtDesktopServices(const QtDesktopServices&) = delete;
  QtDesktopServices& operator=(const QtDesktopServices&) = delete;

  // A queued call to the application's thread, which is the window's.
  void PostToWindowThread(std::function<void()> call) override;
  // The window the busy pointer shows over; boxes and other windows keep their own pointers.
  void SetBusyWindow(QWidget* window) { busyWindow_ = window; }
  // Balanced: every SetBusyPointer(true) is undone by one SetBusyPointer(false). The pointer
  // change reaches the screen at once.
  void SetBusyPointer(bool busy) override;
  [[noreturn]] void EndProgram() override;

  int busyDepth() const { return busyDepth_; }

 protected:
  int ShowBox(const std::string& text, unsigned style, const BoxTitle& title,
              BoxPlacement placement) override;

 private:
  void ShowBusy(bool busy);

  int busyDepth_ = 0;
  QPointer<QWidget> busyWindow_;
};

}  // namespace droplet
