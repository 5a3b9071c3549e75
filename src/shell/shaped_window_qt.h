#pragma once

#include <QImage>
#include <QPoint>
#include <QRegion>
#include <QWidget>
#include <cstdint>
#include <vector>

#include "shell/opaque_runs.h"

namespace droplet {

// Sizes `window` to `picture` and cuts it to the picture's pixels that differ from the key
// colour. `keyColour` is a packed colour (b + g * 256 + r * 65536); the value 1 means "take the
// bottom-left pixel's colour", which is then written back. An empty picture, or one that is all
// key colour, leaves nothing of the window visible. With a device pixel ratio above 1 the
// picture and its mask are scaled together. Returns the picture's opaque runs, in its pixels.
std::vector<RunRect> ShapeFormFromPicture(QWidget& window, const QImage& picture,
                                          std::int32_t& keyColour);

// The union of `runs` as a region, built in one batch. The runs must come as CollectOpaqueRuns
// gives them: one pixel high, sorted by row and column, never touching.
QRegion RegionFromRuns(const std::vector<RunRect>& runs);

// Starts moving `window` with the mouse from the press of `button` at `globalPressPosition`,
// until the button is released: a move by the window system when it offers one for that button
// (X11 window systems move with the left one only), otherwise a move of our own.
void DragForm(QWidget& window, const QPoint& globalPressPosition,
              Qt::MouseButton button = Qt::LeftButton);

}  // namespace droplet
