#pragma once

namespace droplet {

// The windows' designs place their controls in twips: 15 twips make one pixel at 96 dots per
// inch.
inline constexpr int kTwipsPerPixel = 15;

inline constexpr int TwipsToPixels(int twips) {
  return twips / kTwipsPerPixel;
}

// A control's place in twips, relative to its window's client area.
struct TwipsRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;

  bool operator==(const TwipsRect&) const = default;
};

}  // namespace droplet
