#pragma once

#include <string>
#include <vector>

#include "common/twips.h"
#include "front_end/run_progress.h"
#include "front_end/ui_model.h"
#include "settings/options_form.h"
#include "shell/box_position.h"
#include "shell/opaque_runs.h"

// The main window as both GUIs show it, in the window's pixels: where its labels lie and how
// they are lettered, where the progress bar goes and how it is drawn, what the window's tip and
// assistive technologies say during a run and outside one, and where the window first shows.
// Computed here once from the program's window extras, the picture and the scale; a GUI only
// paints and applies what it says.

namespace droplet {

// The picture the window is cut to, as designed (one of its pixels a design pixel): its size
// and the runs of its kept pixels, as CollectOpaqueRuns gives them.
struct PictureShape {
  int width = 0;
  int height = 0;
  std::vector<RunRect> opaqueRuns;
};

// A label of the window as it is shown.
struct LabelView {
  WindowLabel design;
  PixelRect place;
  int fontPixelSize = 0;  // bold when the design says so
};

// The window's own parts in its pixels, at `scale` window pixels to a design pixel.
struct WindowView {
  std::vector<LabelView> labels;  // in the design's order
  PixelRect progressBar;          // empty when the picture has no room for one
};

// A label without a letter size of its own is lettered at this many design pixels.
inline constexpr int kLabelFontPixels = 11;

WindowView ComputeWindowView(const WindowExtras& extras, const PictureShape& picture, double scale);

// The label with a double-click command (a close spot) at `x`, `y` in the window, or null.
const LabelView* CommandLabelAt(const WindowView& view, int x, int y);

// How the progress bar is drawn: a dark field in a black frame, filled in light from the left
// as the work is done; the count is written across it in bold, white over the dark part and
// black over the light one, so that each letter stands out from what lies under it.
struct ProgressBarLook {
  Rgb frame{0, 0, 0};
  Rgb field{35, 35, 35};
  Rgb done{245, 245, 245};
  Rgb textOnField{255, 255, 255};
  Rgb textOnDone{0, 0, 0};
};
inline constexpr ProgressBarLook kProgressBarLook;

// While the page count is unknown a block sweeps along the bar: kSweepStep a tick, one tick
// every kSweepMilliseconds.
inline constexpr int kSweepMilliseconds = 40;
inline constexpr int kSweepStep = 2;
bool Sweeps(const RunProgress& progress);

// What the bar shows now, `tick` sweep ticks into the run.
struct ProgressPaint {
  PixelRect bar;       // the field with its one-pixel frame
  PixelRect filled;    // the done part, inside the frame
  PixelRect textArea;  // inside the frame; the count is centred in it
  std::string count;   // nothing to write when empty
  int fontPixelSize = 0;
};
ProgressPaint PaintOfProgress(const WindowView& view, const RunProgress& progress, int tick);

// What the window says of itself: its name and description for assistive technologies and the
// tip of the whole window (the labels have tips of their own). During a run the progress takes
// the description's place and is the tip; outside one the window has no tip.
struct WindowTexts {
  std::string accessibleName;
  std::string accessibleDescription;
  std::string toolTip;
};
WindowTexts WindowTextsFor(const WindowExtras& extras, const RunProgress& progress);

// Where a window of `width` x `height` pixels first shows: kStartMargin design pixels (scaled)
// from the top right corner of `workArea`, yet wholly inside it where it fits, its top left
// corner inside it where it does not.
inline constexpr int kStartMargin = 48;
ScreenPoint StartPosition(int width, int height, const ScreenRect& workArea, double scale);

}  // namespace droplet
