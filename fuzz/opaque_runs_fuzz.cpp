// CollectOpaqueRuns: drawing the runs it returns must give back exactly the picture's non-key
// pixels, each once, in maximal runs ordered stored row 0 first and left to right.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "shell/opaque_runs.h"

namespace {

void Fail(const char* what) {
  std::fprintf(stderr, "CollectOpaqueRuns: %s\n", what);
  std::abort();
}

// Takes bytes from the front of the input, zero when it is used up.
struct Reader {
  const std::uint8_t* data;
  std::size_t size;
  std::uint8_t Byte() {
    if (size == 0) return 0;
    --size;
    return *data++;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Reader in{data, size};
  const int width = in.Byte() % 48 + 1;
  const int height = in.Byte() % 48 + 1;
  const int padding = in.Byte() % 8;
  const int border = static_cast<int>(in.Byte() % 16) - 4;
  const int top = static_cast<int>(in.Byte() % 40) - 8;
  const std::uint8_t mode = in.Byte();
  const int rowBytes = width * 3 + padding;

  // Palette mode draws each pixel from four colours, one of them the key, so that runs start and
  // end often; raw mode takes the bytes as they come.
  const std::uint8_t palette[4][3] = {
      {in.Byte(), in.Byte(), in.Byte()}, {in.Byte(), in.Byte(), in.Byte()}, {0, 0, 0}, {0, 0, 0}};
  std::int32_t key = palette[0][0] + palette[0][1] * 256 + palette[0][2] * 65536;
  if (mode % 7 == 0) key = -1 - (mode & 0x3);           // never a 24-bit colour
  if (mode % 11 == 0) key = 0x1000000 + palette[1][0];  // likewise

  std::vector<std::uint8_t> bits(static_cast<std::size_t>(rowBytes) * height, 0xEE);
  std::vector<bool> opaque(static_cast<std::size_t>(width) * height);
  for (int storedRow = 0; storedRow < height; ++storedRow) {
    for (int x = 0; x < width; ++x) {
      std::uint8_t* pixel = &bits[static_cast<std::size_t>(storedRow) * rowBytes + 3 * x];
      if (mode & 0x80) {
        pixel[0] = in.Byte();
        pixel[1] = in.Byte();
        pixel[2] = in.Byte();
      } else {
        const std::uint8_t pick = in.Byte() % 4;
        for (int c = 0; c < 3; ++c) pixel[c] = palette[pick][c];
      }
      const std::int32_t colour = pixel[0] + pixel[1] * 256 + pixel[2] * 65536;
      const int y = height - 1 - storedRow;
      opaque[static_cast<std::size_t>(y) * width + x] = colour != key;
    }
  }

  const std::vector<droplet::RunRect> runs =
      droplet::CollectOpaqueRuns(bits.data(), rowBytes, width, height, key, border, top);

  std::vector<bool> drawn(opaque.size());
  const droplet::RunRect* previous = nullptr;
  for (const droplet::RunRect& run : runs) {
    const int y = run.top - top;
    const int left = run.left - border;
    const int right = run.right - border;
    if (run.bottom != run.top + 1) Fail("a run is not one pixel high");
    if (y < 0 || y >= height || left < 0 || right > width || left >= right) Fail("out of picture");
    if (previous != nullptr) {
      const int previousY = previous->top - top;
      if (previousY < y) Fail("rows out of order");
      if (previousY == y && previous->right >= run.left) Fail("runs of a row touch or overlap");
    }
    for (int x = left; x < right; ++x) {
      const std::size_t at = static_cast<std::size_t>(y) * width + x;
      if (!opaque[at]) Fail("a key pixel is covered");
      drawn[at] = true;
    }
    // Maximal: the pixels just outside the run are key pixels or the edge.
    if (left > 0 && opaque[static_cast<std::size_t>(y) * width + left - 1]) Fail("not maximal");
    if (right < width && opaque[static_cast<std::size_t>(y) * width + right]) Fail("not maximal");
    previous = &run;
  }
  if (drawn != opaque) Fail("a non-key pixel is missing");
  return 0;
}
