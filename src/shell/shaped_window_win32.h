#pragma once

// The shaped window on Win32: a window cut to its picture by a window region, and moved by
// dragging it by any point. Windows-only header.

#include <windows.h>

#include <cstdint>
#include <vector>

#include "shell/opaque_runs.h"

namespace droplet {

// Sizes `window` so that its client area is exactly `picture` and cuts it to the picture's
// pixels whose packed colour differs from `keyColour`. A key of 1 means the picture's
// bottom-left pixel, whose colour is then written back. Returns the runs of kept pixels (in
// window coordinates). Without readable pixels the window is left as it is and none come back.
std::vector<RunRect> ShapeFormFromPicture(HWND window, HBITMAP picture, std::int32_t& keyColour);

// The union of `runs` (as CollectOpaqueRuns gives them) as one region, made by a single
// ExtCreateRegion call. No runs give an empty region, which hides the whole window.
HRGN RegionFromRuns(const std::vector<RunRect>& runs);

// Moves `window` with the mouse from the press that `pressMessage` reported (WM_LBUTTONDOWN,
// WM_RBUTTONDOWN, ...) until that button is released, and returns then. The left button's move
// is the window system's, as from a press on a caption bar; the system follows no other
// button, so another button's move is followed here.
void DragForm(HWND window, UINT pressMessage = WM_LBUTTONDOWN);

// A 24-bit copy of `picture` scaled by `numerator` / `denominator` in whole pixels (each target
// pixel takes one source pixel, so the key colour stays exact and the shape follows the
// picture). The caller owns the result; null when it cannot be made.
HBITMAP ScalePicture(HBITMAP picture, int numerator, int denominator);

// The size of a bitmap in pixels.
SIZE BitmapSize(HBITMAP bitmap);

}  // namespace droplet
