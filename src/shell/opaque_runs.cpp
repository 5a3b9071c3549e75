#include "shell/opaque_runs.h"

#include <cstddef>

namespace droplet {

namespace {

// Compares pixels with the key byte by byte: blue, green, red as stored. A key outside the
// 24-bit range matches no pixel.
class KeyTest {
 public:
  explicit KeyTest(std::int32_t key)
      : valid_(key >= 0 && key <= 0xFFFFFF),
        blue_(static_cast<std::uint8_t>(key & 0xFF)),
        green_(static_cast<std::uint8_t>((key >> 8) & 0xFF)),
        red_(static_cast<std::uint8_t>((key >> 16) & 0xFF)) {}
  bool IsKey(const std::uint8_t* pixel) const {
    return valid_ && pixel[0] == blue_ && pixel[1] == green_ && pixel[2] == red_;
  }

 private:
  bool valid_;
  std::uint8_t blue_, green_, red_;
};

// Calls emit(start, end) for each maximal run of non-key pixels of one stored row.
template <typename Emit>
void ScanRow(const std::uint8_t* row, int width, const KeyTest& key, Emit&& emit) {
  int x = 0;
  while (x < width) {
    while (x < width && key.IsKey(row + 3 * x)) ++x;
    if (x >= width) break;
    const int start = x;
    while (x < width && !key.IsKey(row + 3 * x)) ++x;
    emit(start, x);
    // The pixel at x is a key pixel (or past the edge): no need to test it again.
    ++x;
  }
}

}  // namespace

std::vector<RunRect> CollectOpaqueRuns(const std::uint8_t* bits, int rowBytes, int width,
                                       int height, std::int32_t key, int border, int top) {
  std::vector<RunRect> runs;
  if (bits == nullptr || width <= 0 || height <= 0) return runs;
  const KeyTest keyTest(key);
  auto rowAt = [&](int storedRow) {
    return bits + static_cast<std::ptrdiff_t>(storedRow) * rowBytes;
  };
  // Counting first costs a second scan of the pixels but keeps the list from growing by copies,
  // which for a large noisy picture cost more than the scan.
  std::size_t count = 0;
  for (int storedRow = 0; storedRow < height; ++storedRow) {
    ScanRow(rowAt(storedRow), width, keyTest, [&count](int, int) { ++count; });
  }
  runs.reserve(count);
  for (int storedRow = 0; storedRow < height; ++storedRow) {
    const int y = height - 1 - storedRow;
    ScanRow(rowAt(storedRow), width, keyTest, [&](int start, int end) {
      runs.push_back(RunRect{border + start, top + y, border + end, top + y + 1});
    });
  }
  return runs;
}

}  // namespace droplet
