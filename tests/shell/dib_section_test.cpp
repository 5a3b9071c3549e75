#include "shell/dib_section.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <memory>

namespace droplet {
namespace {

TEST(DibSection, RowsArePaddedToFourBytes) {
  cDIBSection dib;
  const int expected[] = {0, 4, 8, 12, 12, 16};
  for (int width = 0; width <= 5; ++width) {
    // An empty picture has no pixels to hold, but its rows still have a length.
    EXPECT_EQ(dib.Create(width, 2), width > 0);
    EXPECT_EQ(dib.BytesPerScanLine(), expected[width]) << "width " << width;
  }
  ASSERT_TRUE(dib.Create(232, 120));
  EXPECT_EQ(dib.BytesPerScanLine(), 696);
}

TEST(DibSection, ClearUpFreesThePixelsButKeepsTheSize) {
  cDIBSection dib;
  EXPECT_EQ(dib.DIBSectionBitsPtr(), nullptr);
  ASSERT_TRUE(dib.Create(7, 3));
  EXPECT_NE(dib.DIBSectionBitsPtr(), nullptr);
  dib.ClearUp();
  EXPECT_EQ(dib.DIBSectionBitsPtr(), nullptr);
  EXPECT_EQ(dib.Width(), 7);
  EXPECT_EQ(dib.Height(), 3);
  EXPECT_EQ(dib.PixelColour(0, 0), 0);
}

TEST(DibSection, SizesBeyondThirtyTwoBitsAreRefused) {
  cDIBSection dib;
  ASSERT_TRUE(dib.Create(2, 2));
  // 3 * width + 3 overflows.
  EXPECT_FALSE(dib.Create(std::numeric_limits<int>::max() / 3, 1));
  EXPECT_EQ(dib.DIBSectionBitsPtr(), nullptr);
  EXPECT_EQ(dib.Width(), std::numeric_limits<int>::max() / 3);
  // The row fits, the rows together do not.
  EXPECT_FALSE(dib.Create(100000, 100000));
  EXPECT_FALSE(dib.Create(-1, 4));
  EXPECT_TRUE(dib.Create(1, 1));
}

TEST(DibSection, PixelsAreBlueGreenRedInBottomUpRows) {
  cDIBSection dib;
  ASSERT_TRUE(dib.Create(2, 2));
  std::uint8_t* bits = dib.DIBSectionBitsPtr();
  ASSERT_NE(bits, nullptr);
  for (int i = 0; i < 2 * dib.BytesPerScanLine(); ++i) EXPECT_EQ(bits[i], 0);
  // Stored row 1, pixel 1 starts at one row plus three bytes.
  bits[dib.BytesPerScanLine() + 3] = 0x11;
  bits[dib.BytesPerScanLine() + 4] = 0x22;
  bits[dib.BytesPerScanLine() + 5] = 0x33;
  EXPECT_EQ(dib.PixelColour(1, 1), 0x332211);
  EXPECT_EQ(dib.PixelColour(0, 1), 0);
  EXPECT_EQ(dib.PixelColour(2, 1), 0);  // outside
}

// Writes `blue` into the first byte of each pixel of stored row `row`.
void SetBlues(cDIBSection& dib, int row, std::initializer_list<int> blues) {
  std::uint8_t* pixel = dib.DIBSectionBitsPtr() + row * dib.BytesPerScanLine();
  for (int blue : blues) {
    pixel[0] = static_cast<std::uint8_t>(blue);
    pixel += 3;
  }
}

TEST(DibSection, ResampleBlendsRowsThenColumnsFromTheScaledPosition) {
  cDIBSection dib;
  ASSERT_TRUE(dib.Create(2, 2));
  SetBlues(dib, 0, {0, 100});
  SetBlues(dib, 1, {200, 255});
  // x samples at x * (2 - 1) / 4 and y at y * (2 - 1) / 2: the last source column and row are
  // reached only as the far side of a blend.
  const std::unique_ptr<cDIBSection> wide = dib.Resample(2, 4);
  ASSERT_NE(wide, nullptr);
  EXPECT_EQ(wide->Width(), 4);
  EXPECT_EQ(wide->Height(), 2);
  EXPECT_EQ(wide->PixelColour(0, 0), 0);
  EXPECT_EQ(wide->PixelColour(1, 0), 25);
  EXPECT_EQ(wide->PixelColour(3, 0), 75);
  // Row 1 sits half way: 100 and 178 (177.5 rounded) first, then a quarter of the way across.
  EXPECT_EQ(wide->PixelColour(0, 1), 100);
  EXPECT_EQ(wide->PixelColour(1, 1), 120);  // 100 + 78 / 4 = 119.5
  // The same size is a plain copy; an empty source or a size that cannot be made gives none.
  const std::unique_ptr<cDIBSection> same = dib.Resample(2, 2);
  ASSERT_NE(same, nullptr);
  EXPECT_EQ(same->PixelColour(1, 1), 255);
  EXPECT_EQ(dib.Resample(0, 3), nullptr);
  cDIBSection empty;
  EXPECT_EQ(empty.Resample(2, 2), nullptr);
}

TEST(DibSection, RandomiseBitsFillsEveryPixelAndNoPadding) {
  cDIBSection dib;
  ASSERT_TRUE(dib.Create(5, 3));  // 15 bytes of pixels, 1 of padding per row
  dib.RandomiseBits(true, 7);
  int levels = 0;
  for (int row = 0; row < 3; ++row) {
    const std::uint8_t* bytes = dib.DIBSectionBitsPtr() + row * dib.BytesPerScanLine();
    for (int x = 0; x < 5; ++x) {
      EXPECT_EQ(bytes[3 * x], bytes[3 * x + 1]);
      EXPECT_EQ(bytes[3 * x], bytes[3 * x + 2]);
      levels += bytes[3 * x] != 0;
    }
    EXPECT_EQ(bytes[15], 0);
  }
  EXPECT_GT(levels, 0);
  dib.RandomiseBits(false, 7);
  cDIBSection again;
  ASSERT_TRUE(again.Create(5, 3));
  again.RandomiseBits(false, 7);
  for (int row = 0; row < 3; ++row) {
    for (int x = 0; x < 5; ++x) {
      EXPECT_EQ(dib.PixelColour(x, row) & 0xFF, 0) << "blue stays 0";
      EXPECT_EQ(dib.PixelColour(x, row), again.PixelColour(x, row)) << "same seed, same pixels";
    }
  }
}

}  // namespace
}  // namespace droplet
