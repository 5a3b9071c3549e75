#pragma once

#include <cmath>

namespace droplet {

// The windows' designs place their controls in twips: 15 twips make one design pixel, which is
// one pixel at 96 dots per inch. A window drawn at another scale (dots per inch / 96, or a
// device pixel ratio) has `scale` of its pixels to a design pixel.
inline constexpr int kTwipsPerPixel = 15;

// Twips as pixels at `scale`, to the nearest pixel (halves away from zero, as MulDiv rounds).
inline int TwipsToPixels(int twips, double scale = 1.0) {
  return static_cast<int>(std::lround(twips * scale / kTwipsPerPixel));
}

// Design pixels as pixels at `scale`, rounded the same way.
inline int ScalePixels(int pixels, double scale) {
  return static_cast<int>(std::lround(pixels * scale));
}

// A control's place in twips, relative to its window's client area.
struct TwipsRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;

  bool operator==(const TwipsRect&) const = default;
};

// A rectangle in pixels.
struct PixelRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;

  int right() const { return left + width; }  // exclusive
  int bottom() const { return top + height; }
  bool empty() const { return width <= 0 || height <= 0; }
  bool Contains(int x, int y) const { return x >= left && x < right() && y >= top && y < bottom(); }
  bool operator==(const PixelRect&) const = default;
};

// A place in twips as pixels at `scale`: each edge to its nearest pixel, so that controls that
// meet in the design meet on the screen at every scale.
inline PixelRect TwipsToPixels(const TwipsRect& place, double scale = 1.0) {
  const int left = TwipsToPixels(place.left, scale);
  const int top = TwipsToPixels(place.top, scale);
  return {left, top, TwipsToPixels(place.left + place.width, scale) - left,
          TwipsToPixels(place.top + place.height, scale) - top};
}

// A rectangle of design pixels as pixels at `scale`, edge by edge.
inline PixelRect ScalePixels(const PixelRect& rect, double scale) {
  const int left = ScalePixels(rect.left, scale);
  const int top = ScalePixels(rect.top, scale);
  return {left, top, ScalePixels(rect.right(), scale) - left,
          ScalePixels(rect.bottom(), scale) - top};
}

}  // namespace droplet
