#include "front_end/window_view.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "front_end/deliverable.h"

namespace droplet {
namespace {

// A picture `width` x `height` pixels whose every pixel is kept.
PictureShape Solid(int width, int height) {
  PictureShape picture{width, height, {}};
  for (int y = 0; y < height; ++y) picture.opaqueRuns.push_back({0, y, width, y + 1});
  return picture;
}

bool Overlap(const PixelRect& a, const PixelRect& b) {
  return a.left < b.right() && b.left < a.right() && a.top < b.bottom() && b.top < a.bottom();
}

const WindowExtras& Tessik() {
  return TessikDeliverable().window;
}

TEST(WindowView, LabelsInTheWindowsPixelsAtEveryScale) {
  struct Case {
    double scale;
    PixelRect questionMark;  // Label4, 675, 1050, 90 x 195 twips
    PixelRect closeSpot;     // Label1, 1005, 1065, 165 x 165 twips
    int fontPixels;
  };
  // Each edge to its nearest pixel, halves away from zero.
  for (const Case& c : {Case{1.0, {45, 70, 6, 13}, {67, 71, 11, 11}, 11},
                        Case{1.5, {68, 105, 9, 20}, {101, 107, 16, 16}, 17}}) {
    SCOPED_TRACE(c.scale);
    const WindowView view = ComputeWindowView(Tessik(), Solid(114, 109), c.scale);
    ASSERT_EQ(view.labels.size(), 2u);
    EXPECT_EQ(view.labels[0].design.name, "Label4");
    EXPECT_EQ(view.labels[0].place, c.questionMark);
    EXPECT_EQ(view.labels[1].place, c.closeSpot);
    // The close spot has no size of its own: both are lettered alike.
    EXPECT_EQ(view.labels[0].fontPixelSize, c.fontPixels);
    EXPECT_EQ(view.labels[1].fontPixelSize, c.fontPixels);

    // Only the close spot takes a double click, up to its last pixel.
    const PixelRect& spot = c.closeSpot;
    EXPECT_EQ(CommandLabelAt(view, spot.right() - 1, spot.bottom() - 1), &view.labels[1]);
    EXPECT_EQ(CommandLabelAt(view, spot.right(), spot.top), nullptr);
    EXPECT_EQ(CommandLabelAt(view, c.questionMark.left, c.questionMark.top), nullptr);
  }
}

TEST(WindowView, ProgressBarKeepsClearOfTheLabelsAndGrowsWithTheWindow) {
  const WindowView plain = ComputeWindowView(Tessik(), Solid(114, 109), 1.0);
  const PixelRect bar = plain.progressBar;
  ASSERT_FALSE(bar.empty());
  EXPECT_EQ(bar.height, kProgressBarHeight);
  for (const LabelView& label : plain.labels) {
    EXPECT_FALSE(Overlap(bar, label.place)) << label.design.name;
  }

  // At 150 % the bar lies where it lay, each edge scaled to its nearest pixel, and is as much
  // taller as the picture.
  const PixelRect scaled = ComputeWindowView(Tessik(), Solid(114, 109), 1.5).progressBar;
  EXPECT_EQ(scaled, ScalePixels(bar, 1.5));
  EXPECT_EQ(scaled.height, 17);

  // No room on a tiny picture; Orvane's window has no labels to avoid.
  EXPECT_TRUE(ComputeWindowView(Tessik(), Solid(20, 20), 1.0).progressBar.empty());
  const WindowView orvane = ComputeWindowView(OrvaneDeliverable().window, Solid(232, 120), 1.0);
  EXPECT_TRUE(orvane.labels.empty());
  EXPECT_FALSE(orvane.progressBar.empty());
}

TEST(WindowView, TextsSayTheProgressDuringARunAndTheWindowsHelpOtherwise) {
  const WindowTexts idle = WindowTextsFor(Tessik(), RunProgress{});
  EXPECT_EQ(idle.accessibleName, "Tessik: trascina qui un PDF da convertire in testo");
  EXPECT_EQ(idle.accessibleDescription, kWindowKeyboardHelp);
  EXPECT_EQ(idle.toolTip, "");
  const WindowTexts running =
      WindowTextsFor(Tessik(), RunProgress{.running = true, .pagesDone = 3, .pageCount = 17});
  EXPECT_EQ(running.accessibleName, idle.accessibleName);
  EXPECT_EQ(running.accessibleDescription, "Conversione in corso: pagina 3 di 17");
  EXPECT_EQ(running.toolTip, running.accessibleDescription);
}

TEST(WindowView, StartsNearTheTopRightCornerOfTheWorkArea) {
  const auto at = [](int width, int height, ScreenRect area, double scale) {
    const ScreenPoint point = StartPosition(width, height, area, scale);
    return std::pair(point.x, point.y);
  };
  EXPECT_EQ(at(232, 120, {0, 0, 1280, 1024}, 1.0), std::pair(1280 - 232 - 48, 48));
  // The margin grows with the scale, from the corner of a work area that panels make smaller.
  EXPECT_EQ(at(348, 180, {60, 30, 1280, 1024}, 1.5), std::pair(1280 - 348 - 72, 30 + 72));
  // A work area too small for the margin keeps the window inside; one too small for the window
  // keeps its top left corner inside.
  EXPECT_EQ(at(232, 120, {100, 50, 400, 200}, 1.0), std::pair(400 - 232 - 48, 200 - 120));
  EXPECT_EQ(at(232, 120, {100, 50, 300, 100}, 1.0), std::pair(100, 50));
}

}  // namespace
}  // namespace droplet
