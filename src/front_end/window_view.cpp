#include "front_end/window_view.h"

#include <algorithm>

namespace droplet {

WindowView ComputeWindowView(const WindowExtras& extras, const PictureShape& picture,
                             double scale) {
  WindowView view;
  std::vector<PictureRect> avoid;  // the labels on the picture as designed
  for (const WindowLabel& label : extras.labels) {
    const int fontPixels = label.fontPixelSize > 0 ? label.fontPixelSize : kLabelFontPixels;
    view.labels.push_back(
        {label, TwipsToPixels(label.place, scale), ScalePixels(fontPixels, scale)});
    avoid.push_back(TwipsToPixels(label.place));
  }
  // The bar is placed on the picture as designed, clear of what lies on it (Tessik's labels),
  // and grows with the window.
  if (const auto place =
          ProgressBarPlace(picture.opaqueRuns, picture.width, picture.height, avoid)) {
    view.progressBar = ScalePixels(*place, scale);
  }
  return view;
}

const LabelView* CommandLabelAt(const WindowView& view, int x, int y) {
  for (const LabelView& label : view.labels) {
    if (label.design.doubleClick != WindowCommand::kNone && label.place.Contains(x, y)) {
      return &label;
    }
  }
  return nullptr;
}

bool Sweeps(const RunProgress& progress) {
  return progress.running && !progress.Determinate();
}

ProgressPaint PaintOfProgress(const WindowView& view, const RunProgress& progress, int tick) {
  const PixelRect& bar = view.progressBar;
  ProgressPaint paint;
  paint.bar = bar;
  paint.filled = ProgressFill(bar, progress, tick);
  paint.textArea = {bar.left + 1, bar.top + 1, std::max(0, bar.width - 2),
                    std::max(0, bar.height - 2)};
  paint.count = ProgressCount(progress);
  paint.fontPixelSize = std::max(7, bar.height - 3);
  return paint;
}

WindowTexts WindowTextsFor(const WindowExtras& extras, const RunProgress& progress) {
  if (!progress.running) return {extras.accessibleName, extras.accessibleDescription, {}};
  const std::string description = ProgressDescription(progress);
  return {extras.accessibleName, description, description};
}

ScreenPoint StartPosition(int width, int height, const ScreenRect& workArea, double scale) {
  const int margin = ScalePixels(kStartMargin, scale);
  const int x = std::max(workArea.left, workArea.right - width - margin);
  const int y = std::max(workArea.top, std::min(workArea.bottom - height, workArea.top + margin));
  return {x, y};
}

}  // namespace droplet
