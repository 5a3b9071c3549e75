#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Small X11 requests the GUI tests make the way other clients do (kept apart from Qt's headers).
namespace droplet::testing::x11 {

// Sends WM_DELETE_WINDOW to `window`, as a window manager or task bar asks a window to close.
bool RequestClose(std::uint64_t window);

// The managed windows from bottom to top (_NET_CLIENT_LIST_STACKING); empty without a window
// manager that publishes it.
std::vector<std::uint64_t> StackingOrder();

// The title `window` shows on the display (_NET_WM_NAME, UTF-8); empty when it has none.
std::string WindowName(std::uint64_t window);

// True when a window manager that follows the desktop conventions runs on the display.
bool WindowManagerRunning();

// Sends _NET_WM_PING to `window` as a window manager does and waits for the answer. Returns the
// milliseconds it took, or -1 when none came within `timeoutMs`. Safe from a thread of its own.
int PingMilliseconds(std::uint64_t window, int timeoutMs);

// The serial number of the pointer's image as the X server shows it now (0 when unknown): it
// changes whenever another cursor is shown.
std::uint64_t ShownCursorSerial();

// The rectangles of `window`'s bounding shape (one for a window that is not shaped); -1 when
// the display has no shape extension or the window is gone.
int ShapeRectangleCount(std::uint64_t window);

// What became of a drop by the drag-and-drop protocol of X11.
struct DropOutcome {
  bool accepted = false;  // the target took the drop as a copy
  bool finished = false;  // and said it was done with the data
};

// Drops the file at `path` on `window` at the point `x`, `y` of the window, speaking the X11
// drag-and-drop protocol (XDND) as a file manager does, without moving the pointer: for displays
// where the pointer cannot be driven from outside. Serves the file list until the target is done
// or `timeoutMs` has passed.
DropOutcome DropFile(std::uint64_t window, int x, int y, const std::string& path, int timeoutMs);

}  // namespace droplet::testing::x11
