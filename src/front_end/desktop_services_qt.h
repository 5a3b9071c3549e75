#pragma once

#include "common/desktop_services.h"

namespace droplet {

// The desktop services of the Qt front end: message boxes styled and placed by the window
// helpers, the busy pointer as an application-wide override cursor, and the immediate end.
class QtDesktopServices : public DesktopServices {
 public:
  QtDesktopServices() = default;
  ~QtDesktopServices() override;
  QtDesktopServices(const QtDesktopServices&) = delete;
  QtDesktopServices& operator=(const QtDesktopServices&) = delete;

  // A queued call to the application's thread, which is the window's.
  void PostToWindowThread(std::function<void()> call) override;
  // Balanced: every SetBusyPointer(true) is undone by one SetBusyPointer(false). The pointer
  // change reaches the screen at once, before the caller blocks.
  void SetBusyPointer(bool busy) override;
  [[noreturn]] void EndProgram() override;

  int busyDepth() const { return busyDepth_; }

 protected:
  int ShowBox(const std::string& text, unsigned style, const BoxTitle& title,
              BoxPlacement placement) override;

 private:
  int busyDepth_ = 0;
};

}  // namespace droplet
