#include "shell/opaque_runs.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

namespace droplet {

// Comparison and printing for the expectations below.
bool operator==(const RunRect& a, const RunRect& b) {
  return std::tie(a.left, a.top, a.right, a.bottom) == std::tie(b.left, b.top, b.right, b.bottom);
}

void PrintTo(const RunRect& r, std::ostream* os) {
  *os << "{" << r.left << "," << r.top << "," << r.right << "," << r.bottom << "}";
}

namespace {

// A bottom-up 24-bit picture built from picture rows given top row first: 'K' is the key
// colour, anything else a visible colour.
struct Picture {
  int width = 0;
  int height = 0;
  int rowBytes = 0;
  std::vector<std::uint8_t> bits;

  Picture(const std::vector<std::string>& rows, std::uint8_t b = 0, std::uint8_t g = 0,
          std::uint8_t r = 0)
      : width(rows.empty() ? 0 : static_cast<int>(rows[0].size())),
        height(static_cast<int>(rows.size())),
        rowBytes((width * 3 + 3) & ~3) {
    // Padding bytes hold a value no pixel has, so a read past the row would show.
    bits.assign(static_cast<std::size_t>(rowBytes * height), 0xAB);
    for (int y = 0; y < height; ++y) {
      const int stored = height - 1 - y;
      for (int x = 0; x < width; ++x) {
        std::uint8_t* px = &bits[static_cast<std::size_t>(stored * rowBytes + 3 * x)];
        if (rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] == 'K') {
          px[0] = b, px[1] = g, px[2] = r;
        } else {
          px[0] = 200, px[1] = 10, px[2] = 30;
        }
      }
    }
  }
  std::vector<RunRect> Runs(std::int32_t key, int border = 0, int top = 0) const {
    return CollectOpaqueRuns(bits.data(), rowBytes, width, height, key, border, top);
  }
};

TEST(CollectOpaqueRuns, SplitsRowsIntoMaximalRunsInScanOrder) {
  // Stored row 0 is the bottom picture row, so its runs come first.
  const Picture picture({"KKKKK", "XKXXX", "KKKKK"});
  EXPECT_EQ(picture.Runs(0), (std::vector<RunRect>{{0, 1, 1, 2}, {2, 1, 5, 2}}));
  const Picture stack({"XXKKX", "KKKKK", "KXXKK"});
  EXPECT_EQ(stack.Runs(0), (std::vector<RunRect>{{1, 2, 3, 3}, {0, 0, 2, 1}, {4, 0, 5, 1}}));
}

TEST(CollectOpaqueRuns, KeyOnlyPicturesAndEmptyInputsYieldNothing) {
  EXPECT_TRUE(Picture({"KKK", "KKK"}).Runs(0).empty());
  EXPECT_TRUE(Picture({}).Runs(0).empty());
  EXPECT_TRUE(CollectOpaqueRuns(nullptr, 4, 1, 1, 0, 0, 0).empty());
}

TEST(CollectOpaqueRuns, RunsReachingTheRightEdgeKeepTheLastPixel) {
  EXPECT_EQ(Picture({"KKKKX"}).Runs(0), (std::vector<RunRect>{{4, 0, 5, 1}}));
  EXPECT_EQ(Picture({"XXXXX"}).Runs(0), (std::vector<RunRect>{{0, 0, 5, 1}}));
  // One pixel wide: one rectangle for each row that differs from the key.
  EXPECT_EQ(Picture({"X", "K", "X"}).Runs(0), (std::vector<RunRect>{{0, 2, 1, 3}, {0, 0, 1, 1}}));
}

TEST(CollectOpaqueRuns, FrameOffsetsShiftEveryRectangle) {
  EXPECT_EQ(Picture({"KX", "XK"}).Runs(0, 4, 23),
            (std::vector<RunRect>{{4, 24, 5, 25}, {5, 23, 6, 24}}));
}

TEST(CollectOpaqueRuns, KeyComparesAllThreeBytes) {
  // Key pixels are blue 1, green 2, red 3: packed 1 + 2 * 256 + 3 * 65536.
  const Picture picture({"KXK"}, 1, 2, 3);
  EXPECT_EQ(picture.Runs(1 + 2 * 256 + 3 * 65536), (std::vector<RunRect>{{1, 0, 2, 1}}));
  // The same colour given with red in the lowest byte is another colour: nothing is key.
  EXPECT_EQ(picture.Runs(3 + 2 * 256 + 1 * 65536), (std::vector<RunRect>{{0, 0, 3, 1}}));
  // Keys differing in one byte only.
  EXPECT_EQ(picture.Runs(1 + 2 * 256 + 4 * 65536).size(), 1u);
  EXPECT_EQ(picture.Runs(1 + 3 * 256 + 3 * 65536).size(), 1u);
}

TEST(VisitRunsTopDown, TakesRowsTopFirstAndEachRowLeftToRight) {
  const Picture picture({"XKX", "KKK", "KXK", "XKX"});
  std::vector<RunRect> visited;
  VisitRunsTopDown(picture.Runs(0), [&visited](const RunRect& run) { visited.push_back(run); });
  EXPECT_EQ(visited, (std::vector<RunRect>{
                         {0, 0, 1, 1}, {2, 0, 3, 1}, {1, 2, 2, 3}, {0, 3, 1, 4}, {2, 3, 3, 4}}));
  visited.clear();
  VisitRunsTopDown({}, [&visited](const RunRect& run) { visited.push_back(run); });
  EXPECT_TRUE(visited.empty());
}

}  // namespace
}  // namespace droplet
