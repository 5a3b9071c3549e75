#include "shell/dib_section_win32.h"

#include "common/message_box.h"
#include "common/scoped_win32.h"

namespace droplet {

bool cDIBSection::AllocatePixels(std::int64_t) {
  ScopedMemoryDC memoryDC(::CreateCompatibleDC(nullptr));
  if (!memoryDC) return false;
  HBITMAP bitmap = nullptr;
  std::uint8_t* bits = nullptr;
  if (!CreateDIB(memoryDC.get(), width_, height_, bitmap, bits)) {
    ScopedBitmap unusable(bitmap);
    return false;
  }
  platform_ = new PlatformBitmap(std::move(memoryDC), ScopedBitmap(bitmap));
  bits_ = bits;
  return true;
}

void cDIBSection::FreePixels() {
  delete platform_;
}

HDC HdcOf(const cDIBSection& dib) {
  return dib.Platform() != nullptr ? dib.Platform()->memoryDC.get() : nullptr;
}

HBITMAP HDibOf(const cDIBSection& dib) {
  return dib.Platform() != nullptr ? dib.Platform()->dibBitmap.get() : nullptr;
}

bool CreateDIB(HDC dc, int width, int height, HBITMAP& hDib, std::uint8_t*& bits) {
  BITMAPINFO info{};
  BITMAPINFOHEADER& header = info.bmiHeader;
  header.biSize = sizeof header;
  header.biWidth = width;
  header.biHeight = height;  // positive: rows stored bottom-up
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  header.biSizeImage = static_cast<DWORD>(((width * 3 + 3) & ~3) * height);
  void* memory = nullptr;
  hDib = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &memory, nullptr, 0);
  bits = hDib != nullptr ? static_cast<std::uint8_t*>(memory) : nullptr;
  return hDib != nullptr && bits != nullptr;
}

void CreateFromPicture(cDIBSection& dib, HBITMAP picture) {
  BITMAP description{};
  if (picture == nullptr || ::GetObjectW(picture, sizeof description, &description) == 0) {
    dib.ClearUp();
    return;
  }
  if (!dib.Create(description.bmWidth, description.bmHeight)) return;
  ScopedMemoryDC pictureDC;
  {
    ScopedWindowDC screen(nullptr);
    if (!screen) return;
    pictureDC.reset(::CreateCompatibleDC(screen.get()));
  }
  if (!pictureDC) return;
  ScopedSelection selected(pictureDC.get(), picture);
  LoadPictureBlt(dib, pictureDC.get(), 0, 0, -1, -1, SRCCOPY);
}

void LoadPictureBlt(cDIBSection& dib, HDC source, int sourceLeft, int sourceTop, int sourceWidth,
                    int sourceHeight, DWORD rop) {
  const int width = sourceWidth < 0 ? dib.Width() : sourceWidth;
  const int height = sourceHeight < 0 ? dib.Height() : sourceHeight;
  ::BitBlt(HdcOf(dib), 0, 0, width, height, source, sourceLeft, sourceTop, rop);
}

void PaintPicture(const cDIBSection& dib, HDC destination, int destLeft, int destTop, int destWidth,
                  int destHeight, int sourceLeft, int sourceTop, DWORD rop) {
  const int width = destWidth < 0 ? dib.Width() : destWidth;
  const int height = destHeight < 0 ? dib.Height() : destHeight;
  ::BitBlt(destination, destLeft, destTop, width, height, HdcOf(dib), sourceLeft, sourceTop, rop);
}

bool CopyToClipboard(const cDIBSection& dib, bool asDib, DesktopServices& desktop) {
  if (asDib) {
    desktop.ShowMessageBox(
        "I don't know how to put a DIB on the clipboard! Copy as bitmap instead!!!", kMbOk,
        kApplicationTitle);
    return false;
  }
  if (HdcOf(dib) == nullptr) return false;
  ScopedBitmap bitmap;
  {
    ScopedWindowDC screen(nullptr);
    if (!screen) return false;
    ScopedMemoryDC memoryDC(::CreateCompatibleDC(screen.get()));
    if (!memoryDC) return false;
    bitmap.reset(::CreateCompatibleBitmap(screen.get(), dib.Width(), dib.Height()));
    if (!bitmap) return false;
    ScopedSelection selected(memoryDC.get(), bitmap.get());
    PaintPicture(dib, memoryDC.get(), 0, 0, -1, -1, 0, 0, SRCCOPY);
  }
  if (!::OpenClipboard(nullptr)) return false;
  ::EmptyClipboard();
  // The clipboard owns the bitmap once it has taken it.
  const bool put = ::SetClipboardData(CF_BITMAP, bitmap.get()) != nullptr;
  if (put) bitmap.release();
  ::CloseClipboard();
  return put;
}

}  // namespace droplet
