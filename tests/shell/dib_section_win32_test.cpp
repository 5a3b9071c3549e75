// The GDI half of cDIBSection: its pixels are a DIB section that GDI draws into and out of.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

#include "common/message_box.h"
#include "common/scoped_win32.h"
#include "shell/dib_section.h"
#include "shell/dib_section_win32.h"
#include "support/scripted_desktop.h"
#include "test_pictures_win32.h"

namespace droplet {
namespace {

ScopedBitmap LoadTestPicture(int id) {
  return ScopedBitmap(static_cast<HBITMAP>(::LoadImageW(
      ::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
}

bool SameBytes(const cDIBSection& a, const cDIBSection& b) {
  ::GdiFlush();
  return a.Height() == b.Height() && a.BytesPerScanLine() == b.BytesPerScanLine() &&
         std::memcmp(a.DIBSectionBitsPtr(), b.DIBSectionBitsPtr(),
                     static_cast<size_t>(a.BytesPerScanLine() * a.Height())) == 0;
}

TEST(DibSectionGdi, PixelsAreADibSectionSelectedIntoAMemoryContext) {
  cDIBSection dib;
  ASSERT_TRUE(dib.Create(3, 2));
  ASSERT_NE(HdcOf(dib), nullptr);
  const HBITMAP bitmap = HDibOf(dib);
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(::GetCurrentObject(HdcOf(dib), OBJ_BITMAP), bitmap);
  DIBSECTION section{};
  ASSERT_EQ(::GetObjectW(bitmap, sizeof section, &section), static_cast<int>(sizeof section));
  EXPECT_EQ(section.dsBm.bmWidth, 3);
  EXPECT_EQ(section.dsBm.bmHeight, 2);
  EXPECT_EQ(section.dsBm.bmBitsPixel, 24);
  EXPECT_GT(section.dsBmih.biHeight, 0) << "bottom-up rows";
  EXPECT_EQ(section.dsBm.bmBits, dib.DIBSectionBitsPtr());

  dib.ClearUp();
  EXPECT_EQ(HdcOf(dib), nullptr);
  EXPECT_EQ(HDibOf(dib), nullptr);
  EXPECT_EQ(::GetObjectType(bitmap), 0u) << "the bitmap was deleted";
}

TEST(DibSectionGdi, CreateFromPictureStoresTheBottomRowFirst) {
  ScopedWindowDC screen(nullptr);
  ScopedBitmap picture(::CreateCompatibleBitmap(screen.get(), 4, 3));
  {
    ScopedMemoryDC dc(::CreateCompatibleDC(screen.get()));
    ScopedSelection selected(dc.get(), picture.get());
    ::PatBlt(dc.get(), 0, 0, 4, 3, WHITENESS);
    ::SetPixel(dc.get(), 0, 0, RGB(255, 0, 0));
    ::SetPixel(dc.get(), 0, 2, RGB(0, 255, 0));
    ::SetPixel(dc.get(), 3, 2, RGB(0, 0, 255));
  }
  cDIBSection dib;
  CreateFromPicture(dib, picture.get());
  ASSERT_NE(dib.DIBSectionBitsPtr(), nullptr);
  EXPECT_EQ(dib.Width(), 4);
  EXPECT_EQ(dib.Height(), 3);
  ::GdiFlush();
  EXPECT_EQ(dib.PixelColour(0, 0), 0x00FF00) << "bottom-left";
  EXPECT_EQ(dib.PixelColour(3, 0), 0x0000FF) << "blue in the lowest byte";
  EXPECT_EQ(dib.PixelColour(0, 2), 0xFF0000) << "top-left";
  EXPECT_EQ(dib.PixelColour(1, 1), 0xFFFFFF);

  CreateFromPicture(dib, nullptr);
  EXPECT_EQ(dib.DIBSectionBitsPtr(), nullptr);
}

// The pictures the programs carry: sizes and key colours the shapes rely on.
TEST(DibSectionGdi, ProgramPicturesHaveTheirSizesAndKeyColours) {
  struct Case {
    int id, width, height;
    std::int32_t key;
  };
  for (const Case& c : {Case{TEST_ORVANE_PICTURE, 232, 120, 0x000000},
                        Case{TEST_TESSIK_PICTURE, 114, 109, 0xFFFFFF}}) {
    const ScopedBitmap picture = LoadTestPicture(c.id);
    ASSERT_TRUE(picture) << c.id;
    cDIBSection dib;
    CreateFromPicture(dib, picture.get());
    ASSERT_NE(dib.DIBSectionBitsPtr(), nullptr);
    EXPECT_EQ(dib.Width(), c.width);
    EXPECT_EQ(dib.Height(), c.height);
    EXPECT_EQ(dib.PixelColour(0, 0), c.key);
    for (int row = 0; row < c.height; ++row) {
      ASSERT_EQ(dib.PixelColour(c.width - 1, row), c.key) << "last column, row " << row;
    }
  }
}

TEST(DibSectionGdi, BlitsInAndOutCoverTheWholeBitmapForNegativeSizes) {
  cDIBSection source;
  ASSERT_TRUE(source.Create(7, 5));
  source.RandomiseBits(false, 11);
  cDIBSection loaded;
  ASSERT_TRUE(loaded.Create(7, 5));
  LoadPictureBlt(loaded, HdcOf(source), 0, 0);
  EXPECT_TRUE(SameBytes(source, loaded));

  cDIBSection painted;
  ASSERT_TRUE(painted.Create(7, 5));
  PaintPicture(source, HdcOf(painted), 0, 0);
  EXPECT_TRUE(SameBytes(source, painted));

  // A part only: one pixel from (1, 1) of the source (top-down device coordinates).
  cDIBSection corner;
  ASSERT_TRUE(corner.Create(7, 5));
  LoadPictureBlt(corner, HdcOf(source), 1, 1, 1, 1);
  ::GdiFlush();
  EXPECT_EQ(corner.PixelColour(0, 4), source.PixelColour(1, 3));
  EXPECT_EQ(corner.PixelColour(1, 4), 0);
}

TEST(DibSectionGdi, CopyToClipboardPutsABitmapAndRefusesADib) {
  cDIBSection dib;
  ASSERT_TRUE(dib.Create(6, 4));
  testing::ScriptedDesktop desktop;
  EXPECT_FALSE(CopyToClipboard(dib, true, desktop));
  ASSERT_EQ(desktop.boxes().size(), 1u);
  EXPECT_EQ(desktop.boxes()[0].text,
            "I don't know how to put a DIB on the clipboard! Copy as bitmap instead!!!");
  EXPECT_EQ(desktop.boxes()[0].style, kMbOk);
  EXPECT_EQ(desktop.boxes()[0].title, kApplicationTitle);

  ASSERT_TRUE(CopyToClipboard(dib, false, desktop));
  EXPECT_TRUE(::IsClipboardFormatAvailable(CF_BITMAP));
  EXPECT_EQ(desktop.boxes().size(), 1u);
}

}  // namespace
}  // namespace droplet
