#pragma once

// Window helpers on Win32: the topmost layer and message boxes placed by a one-shot hook.
// Windows-only header.

#include <windows.h>

#include <string>

#include "common/desktop_services.h"

namespace droplet {

// Puts `window` in the topmost layer without moving or resizing it.
void SetAlwaysOnTop(HWND window);

// Shows a standard message box owned by `owner` (null: none) and returns the button pressed
// (0 when the box could not be shown). Unless `placement` is kSystem, a WH_CBT hook of the
// calling thread moves the box when it is activated, with ComputeBoxPosition: centred on its
// owner or on the work area, and inside the work area. The hook removes itself there, and is
// removed when the call returns in any case, so that it never moves a later window.
int ShowPlacedMessageBox(HWND owner, const std::string& text, unsigned style,
                         const std::string& title, BoxPlacement placement);

// The box owned by the foreground window, centred on it or on the work area.
int CenteredMessageBox(const std::string& text, unsigned style, const std::string& title,
                       bool centerOnOwner);

// Whether a placing hook is installed on the calling thread (false outside a placed box).
bool PlacingHookPending();

}  // namespace droplet
