#include "shell/box_position.h"

namespace droplet {

ScreenPoint ComputeBoxPosition(const ScreenRect& box, const ScreenRect& owner,
                               const ScreenRect& workArea, PlacementMode mode) {
  const int w = box.right - box.left;
  const int h = box.bottom - box.top;
  int x = 0;
  int y = 0;
  if (mode == PlacementMode::kCenterOnWorkArea) {
    x = workArea.left + (workArea.right - workArea.left - w) / 2;
    y = workArea.top + (workArea.bottom - workArea.top - h) / 2;
  } else {
    x = owner.left + (owner.right - owner.left) / 2 - w / 2;
    y = owner.top + (owner.bottom - owner.top) / 2 - h / 2;
  }
  if (x < workArea.left) x = workArea.left;
  if (x + w > workArea.right) {
    x = owner.right - w;
    if (x + w > workArea.right) x = workArea.right - w;
    if (x < workArea.left) x = workArea.left;
  }
  if (y < workArea.top) y = workArea.top;
  if (y + h > workArea.bottom) {
    y = workArea.bottom - h;
    if (y < workArea.top) y = workArea.top;
  }
  return ScreenPoint{x, y};
}

}  // namespace droplet
