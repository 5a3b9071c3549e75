#include "shell/dib_section.h"

#include <gtest/gtest.h>

#include <limits>

namespace droplet {
namespace {

TEST(DibSection, RowsArePaddedToFourBytes) {
  cDIBSection dib;
  const int expected[] = {0, 4, 8, 12, 12, 16};
  for (int width = 0; width <= 5; ++width) {
    ASSERT_TRUE(dib.Create(width, 2));
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

}  // namespace
}  // namespace droplet
