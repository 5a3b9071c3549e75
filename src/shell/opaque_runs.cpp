#include "shell/opaque_runs.h"

#include <cstddef>

namespace droplet {

namespace {

std::int32_t PackedColour(const std::uint8_t* pixel) {
  return static_cast<std::int32_t>(pixel[0]) + static_cast<std::int32_t>(pixel[1]) * 256 +
         static_cast<std::int32_t>(pixel[2]) * 65536;
}

}  // namespace

std::vector<RunRect> CollectOpaqueRuns(const std::uint8_t* bits, int rowBytes, int width,
                                       int height, std::int32_t key, int border, int top) {
  std::vector<RunRect> runs;
  if (bits == nullptr || width <= 0 || height <= 0) return runs;
  for (int storedRow = 0; storedRow < height; ++storedRow) {
    const std::uint8_t* row = bits + static_cast<std::ptrdiff_t>(storedRow) * rowBytes;
    const int y = height - 1 - storedRow;
    int x = 0;
    while (x < width) {
      while (x < width && PackedColour(row + 3 * x) == key) ++x;
      if (x >= width) break;
      const int start = x;
      while (x < width && PackedColour(row + 3 * x) != key) ++x;
      runs.push_back(RunRect{border + start, top + y, border + x, top + y + 1});
      // The pixel at x is a key pixel (or past the edge): no need to test it again.
      ++x;
    }
  }
  return runs;
}

}  // namespace droplet
