#include "shell/shaped_window_win32.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>

#include "common/scoped_win32.h"
#include "shell/dib_section.h"
#include "shell/dib_section_win32.h"

namespace droplet {

std::vector<RunRect> ShapeFormFromPicture(HWND window, HBITMAP picture, std::int32_t& keyColour) {
  cDIBSection dib;
  CreateFromPicture(dib, picture);
  const int width = dib.Width();
  const int height = dib.Height();
  const std::uint8_t* bits = dib.DIBSectionBitsPtr();
  if (bits == nullptr) return {};

  // The frame offsets: half the width the frame adds, and the caption with the top frame.
  RECT outer{};
  RECT client{};
  ::GetWindowRect(window, &outer);
  ::GetClientRect(window, &client);
  const int border = static_cast<int>(
      std::nearbyint(((outer.right - outer.left) - (client.right - client.left)) / 2.0));
  const int top = (outer.bottom - outer.top) - (client.bottom - client.top) - border;
  ::SetWindowPos(window, nullptr, 0, 0, width + 2 * border, height + top + border,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

  if (keyColour == 1) keyColour = dib.PixelColour(0, 0);
  std::vector<RunRect> runs =
      CollectOpaqueRuns(bits, dib.BytesPerScanLine(), width, height, keyColour, border, top);
  // From here on the region belongs to the window.
  ::SetWindowRgn(window, RegionFromRuns(runs), TRUE);
  return runs;
}

HRGN RegionFromRuns(const std::vector<RunRect>& runs) {
  if (runs.empty()) return ::CreateRectRgn(0, 0, 0, 0);
  // A region keeps its rectangles from the top row down.
  std::vector<unsigned char> buffer(sizeof(RGNDATAHEADER) + runs.size() * sizeof(RECT));
  auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
  RGNDATAHEADER& header = data->rdh;
  header.dwSize = sizeof(RGNDATAHEADER);
  header.iType = RDH_RECTANGLES;
  header.nCount = static_cast<DWORD>(runs.size());
  header.nRgnSize = static_cast<DWORD>(runs.size() * sizeof(RECT));
  header.rcBound =
      RECT{runs.front().left, runs.front().top, runs.front().right, runs.front().bottom};
  unsigned char* next = buffer.data() + sizeof(RGNDATAHEADER);
  VisitRunsTopDown(runs, [&](const RunRect& run) {
    const RECT rect{run.left, run.top, run.right, run.bottom};
    std::memcpy(next, &rect, sizeof rect);
    next += sizeof rect;
    header.rcBound.left = std::min(header.rcBound.left, rect.left);
    header.rcBound.top = std::min(header.rcBound.top, rect.top);
    header.rcBound.right = std::max(header.rcBound.right, rect.right);
    header.rcBound.bottom = std::max(header.rcBound.bottom, rect.bottom);
  });
  return ::ExtCreateRegion(nullptr, static_cast<DWORD>(buffer.size()), data);
}

void DragForm(HWND window, UINT pressMessage) {
  ::ReleaseCapture();
  if (pressMessage == WM_LBUTTONDOWN) {
    ::SendMessageW(window, WM_NCLBUTTONDOWN, HTCAPTION, 0);
    return;
  }
  // Each button's release message follows its press message.
  const UINT releaseMessage = pressMessage + 1;
  const WORD held = pressMessage == WM_RBUTTONDOWN   ? MK_RBUTTON
                    : pressMessage == WM_MBUTTONDOWN ? MK_MBUTTON
                                                     : MK_XBUTTON1 | MK_XBUTTON2;
  POINT start{};
  RECT outer{};
  ::GetCursorPos(&start);
  ::GetWindowRect(window, &outer);
  ::SetCapture(window);
  MSG message{};
  while (::GetCapture() == window) {
    const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
    if (got <= 0) {
      // The end of the message loop was asked for: it is the caller's to see.
      if (got == 0) ::PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    if (message.message == releaseMessage) break;
    if (message.message == WM_MOUSEMOVE && message.hwnd == window) {
      // A release that went elsewhere ends the move too.
      if ((GET_KEYSTATE_WPARAM(message.wParam) & held) == 0) break;
      POINT now{};
      ::GetCursorPos(&now);
      ::SetWindowPos(window, nullptr, outer.left + now.x - start.x, outer.top + now.y - start.y, 0,
                     0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      continue;
    }
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  if (::GetCapture() == window) ::ReleaseCapture();
}

SIZE BitmapSize(HBITMAP bitmap) {
  BITMAP description{};
  if (bitmap == nullptr || ::GetObjectW(bitmap, sizeof description, &description) == 0) {
    return SIZE{0, 0};
  }
  return SIZE{description.bmWidth, description.bmHeight};
}

HBITMAP ScalePicture(HBITMAP picture, int numerator, int denominator) {
  const SIZE size = BitmapSize(picture);
  if (size.cx <= 0 || size.cy <= 0 || numerator <= 0 || denominator <= 0) return nullptr;
  const int width = MulDiv(size.cx, numerator, denominator);
  const int height = MulDiv(size.cy, numerator, denominator);
  ScopedMemoryDC sourceDC(::CreateCompatibleDC(nullptr));
  ScopedMemoryDC targetDC(::CreateCompatibleDC(nullptr));
  if (!sourceDC || !targetDC) return nullptr;
  HBITMAP made = nullptr;
  std::uint8_t* bits = nullptr;
  if (!CreateDIB(targetDC.get(), width, height, made, bits)) return nullptr;
  ScopedBitmap scaled(made);
  {
    ScopedSelection source(sourceDC.get(), picture);
    ScopedSelection target(targetDC.get(), scaled.get());
    ::SetStretchBltMode(targetDC.get(), COLORONCOLOR);
    ::StretchBlt(targetDC.get(), 0, 0, width, height, sourceDC.get(), 0, 0, size.cx, size.cy,
                 SRCCOPY);
  }
  return scaled.release();
}

}  // namespace droplet
