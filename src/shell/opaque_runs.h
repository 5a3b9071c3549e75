#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace droplet {

// One horizontal run of visible pixels, in window coordinates (right and bottom exclusive).
// Every run is exactly one pixel high.
struct RunRect {
  int left, top, right, bottom;
};

// Scans a 24-bit blue-green-red bottom-up picture (stored row 0 is the bottom picture row; each
// stored row is `rowBytes` long) and returns every maximal run of pixels whose packed colour
// (b + g * 256 + r * 65536) differs from `key`, stored row 0 first, left to right within a row.
// `border` and `top` shift the rectangles right and down by the window's frame offsets.
std::vector<RunRect> CollectOpaqueRuns(const std::uint8_t* bits, int rowBytes, int width,
                                       int height, std::int32_t key, int border, int top);

// Calls `visit` with each of `runs` (as CollectOpaqueRuns gives them) from the top row down and
// left to right within a row: the order in which a region takes its rectangles whole. The runs
// come bottom row first, so the rows are taken in reverse, each row's runs in order.
template <typename Visit>
void VisitRunsTopDown(const std::vector<RunRect>& runs, Visit visit) {
  std::size_t rowEnd = runs.size();
  while (rowEnd > 0) {
    std::size_t rowStart = rowEnd - 1;
    while (rowStart > 0 && runs[rowStart - 1].top == runs[rowEnd - 1].top) --rowStart;
    for (std::size_t i = rowStart; i < rowEnd; ++i) visit(runs[i]);
    rowEnd = rowStart;
  }
}

}  // namespace droplet
