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

}  // namespace droplet::testing::x11
