#pragma once

// The desktop services of the Win32 front end. Windows-only header.

#include <windows.h>

#include <deque>
#include <functional>
#include <mutex>
#include <string>

#include "common/desktop_services.h"
#include "common/scoped_win32.h"

namespace droplet {

// One of the system's pointers (IDC_ARROW, IDC_WAIT, ...).
HCURSOR SystemCursor(LPCSTR id);

// Message boxes owned by the active window of ours (else the main window) and placed by the
// window helpers' hook; the busy pointer over the main window; calls posted to the thread that
// made the services through a message-only window of their own. Make it on the window's
// thread.
class Win32DesktopServices : public DesktopServices {
 public:
  // `applicationTitle`: the title of boxes that have none of their own.
  explicit Win32DesktopServices(std::string applicationTitle);
  ~Win32DesktopServices() override;
  Win32DesktopServices(const Win32DesktopServices&) = delete;
  Win32DesktopServices& operator=(const Win32DesktopServices&) = delete;

  // The window boxes belong to when none of ours is active, and the one the busy pointer shows
  // over.
  void SetMainWindow(HWND window) { mainWindow_ = window; }
  HWND mainWindow() const { return mainWindow_; }

  // Balanced: every SetBusyPointer(true) is undone by one SetBusyPointer(false). The pointer
  // changes at once when it is over the main window; the main window asks ShowsBusyPointer on
  // WM_SETCURSOR.
  void SetBusyPointer(bool busy) override;
  bool ShowsBusyPointer() const { return busyDepth_ > 0; }

  void PostToWindowThread(std::function<void()> call) override;
  [[noreturn]] void EndProgram() override;

  // The window whose messages run the posted calls (tests wait on it).
  HWND postWindow() const { return postWindow_.get(); }

 protected:
  int ShowBox(const std::string& text, unsigned style, const BoxTitle& title,
              BoxPlacement placement) override;

 private:
  friend class OwnedWindows;
  // The messages of the posted calls' window.
  LRESULT OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void RunPostedCalls();
  // The owner of a box: the active window when it is one of ours, otherwise the main window.
  HWND BoxOwner() const;
  // Shows the pointer the main window would ask for, when the mouse is over it.
  void RefreshPointer() const;

  std::string applicationTitle_;
  HWND mainWindow_ = nullptr;
  int busyDepth_ = 0;

  ScopedWindow postWindow_;
  std::mutex postedMutex_;
  std::deque<std::function<void()>> posted_;
};

}  // namespace droplet
