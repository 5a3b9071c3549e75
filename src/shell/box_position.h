#pragma once

namespace droplet {

// Screen rectangle in pixels, right and bottom exclusive.
struct ScreenRect {
  int left, top, right, bottom;
};

// How ComputeBoxPosition centres a box.
enum class PlacementMode { kCenterOnWorkArea = 1, kCenterOnOwner = 2 };

struct ScreenPoint {
  int x, y;
};

// The top-left corner for a message box of the size of `box`: centred on the work area or on
// `owner`, then pushed inside the work area (left edge before right edge, top before bottom).
// An owner that is all zero stands for "no owner".
ScreenPoint ComputeBoxPosition(const ScreenRect& box, const ScreenRect& owner,
                               const ScreenRect& workArea, PlacementMode mode);

}  // namespace droplet
