#pragma once

// The GDI half of cDIBSection: its pixels are a DIB section selected into a memory device
// context compatible with the screen. Windows-only header.

#include <windows.h>

#include <cstdint>
#include <utility>

#include "common/desktop_services.h"
#include "common/scoped_win32.h"
#include "shell/dib_section.h"

namespace droplet {

// The DIB section selected into its memory device context while both live; they go in the
// reverse order: the bitmap leaves the context, then the bitmap and the context are deleted.
struct cDIBSection::PlatformBitmap {
  PlatformBitmap(ScopedMemoryDC dc, ScopedBitmap bitmap)
      : memoryDC(std::move(dc)),
        dibBitmap(std::move(bitmap)),
        selected(memoryDC.get(), dibBitmap.get()) {}

  ScopedMemoryDC memoryDC;
  ScopedBitmap dibBitmap;
  ScopedSelection selected;
};

// The memory device context (hdc) and the DIB section bitmap (hDib); null when `dib` is empty.
HDC HdcOf(const cDIBSection& dib);
HBITMAP HDibOf(const cDIBSection& dib);

// A 24-bit bottom-up DIB section of `width` x `height` for `dc`: `hDib` receives the bitmap
// and `bits` its first pixel byte. False (and both null) when none is made.
bool CreateDIB(HDC dc, int width, int height, HBITMAP& hDib, std::uint8_t*& bits);

// Copies `picture` (a bitmap of any format) into `dib` at the picture's size, converted by GDI
// to 24 bits. `dib` stays empty when no bitmap could be made; the copy is skipped when no
// device context can be had.
void CreateFromPicture(cDIBSection& dib, HBITMAP picture);

// BitBlt from `source` into the bitmap's origin; a negative width or height stands for the
// bitmap's own.
void LoadPictureBlt(cDIBSection& dib, HDC source, int sourceLeft, int sourceTop,
                    int sourceWidth = -1, int sourceHeight = -1, DWORD rop = SRCCOPY);

// BitBlt from the bitmap into `destination`; a negative width or height stands for the
// bitmap's own.
void PaintPicture(const cDIBSection& dib, HDC destination, int destLeft, int destTop,
                  int destWidth = -1, int destHeight = -1, int sourceLeft = 0, int sourceTop = 0,
                  DWORD rop = SRCCOPY);

// Puts the picture on the clipboard as a screen-compatible bitmap (CF_BITMAP). Asked for a DIB
// it says that it cannot do that in a message box and returns false.
bool CopyToClipboard(const cDIBSection& dib, bool asDib, DesktopServices& desktop);

}  // namespace droplet
