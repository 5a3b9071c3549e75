// The Win32 window shell on the screen: shaped windows, windows that talk to their owner, the
// interface font, the topmost layer, placed message boxes and the drop target's handling of
// dragged data.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <tuple>
#include <vector>

#include "common/scoped_win32.h"
#include "front_end/drop_target_win32.h"
#include "shell/box_position.h"
#include "shell/dib_section.h"
#include "shell/dib_section_win32.h"
#include "shell/opaque_runs.h"
#include "shell/shaped_window_win32.h"
#include "shell/window_helpers_win32.h"
#include "support/win32_support.h"
#include "test_pictures_win32.h"

namespace droplet::testing {
namespace {

ScopedBitmap LoadPicture(int id) {
  return ScopedBitmap(static_cast<HBITMAP>(::LoadImageW(
      ::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
}

std::vector<RunRect> RunsOf(HBITMAP picture, std::int32_t key, int border = 0, int top = 0) {
  cDIBSection dib;
  CreateFromPicture(dib, picture);
  return CollectOpaqueRuns(dib.DIBSectionBitsPtr(), dib.BytesPerScanLine(), dib.Width(),
                           dib.Height(), key, border, top);
}

// The shape as the windowing system's own union of every run builds it, one by one.
ScopedRegion UnionOfRuns(const std::vector<RunRect>& runs) {
  ScopedRegion shape(::CreateRectRgn(0, 0, 0, 0));
  for (const RunRect& run : runs) {
    ScopedRegion rect(::CreateRectRgn(run.left, run.top, run.right, run.bottom));
    ::CombineRgn(shape.get(), shape.get(), rect.get(), RGN_OR);
  }
  return shape;
}

constexpr RECT kPlace{200, 150, 250, 190};

SIZE ClientSize(HWND window) {
  RECT client{};
  ::GetClientRect(window, &client);
  return SIZE{client.right, client.bottom};
}

TEST(ShapedWindowWin32, OneRegionCallGivesTheUnionOfEveryRun) {
  for (int id : {TEST_ORVANE_PICTURE, TEST_TESSIK_PICTURE}) {
    const ScopedBitmap picture = LoadPicture(id);
    cDIBSection dib;
    CreateFromPicture(dib, picture.get());
    const std::vector<RunRect> runs = RunsOf(picture.get(), dib.PixelColour(0, 0), 3, 22);
    ASSERT_GT(runs.size(), 100u);
    const ScopedRegion expected = UnionOfRuns(runs);
    const ScopedRegion made(RegionFromRuns(runs));
    EXPECT_TRUE(::EqualRgn(made.get(), expected.get())) << id;
  }
  // No runs: an empty region, which hides the whole window rather than showing it whole.
  const ScopedRegion none(RegionFromRuns({}));
  RECT box{};
  EXPECT_EQ(::GetRgnBox(none.get(), &box), NULLREGION);
}

TEST(ShapedWindowWin32, FramedWindowKeepsItsFrameOutsideThePicture) {
  const ScopedBitmap picture = LoadPicture(TEST_ORVANE_PICTURE);
  const ColourWindow window(kPlace, RGB(0, 160, 0), WS_OVERLAPPEDWINDOW);
  std::int32_t key = 1;
  ShapeFormFromPicture(window.hwnd(), picture.get(), key);
  EXPECT_EQ(key, 0);
  const SIZE client = ClientSize(window.hwnd());
  EXPECT_EQ(client.cx, 232);
  EXPECT_EQ(client.cy, 120);
  // The region is in window coordinates: the runs moved by where the client area begins.
  RECT outer{};
  ::GetWindowRect(window.hwnd(), &outer);
  POINT origin{0, 0};
  ::ClientToScreen(window.hwnd(), &origin);
  const int border = origin.x - outer.left;
  const int top = origin.y - outer.top;
  ScopedRegion shape(::CreateRectRgn(0, 0, 0, 0));
  ASSERT_NE(::GetWindowRgn(window.hwnd(), shape.get()), ERROR);
  const ScopedRegion expected = UnionOfRuns(RunsOf(picture.get(), key, border, top));
  EXPECT_TRUE(::EqualRgn(shape.get(), expected.get())) << "border " << border << ", top " << top;
}

TEST(ShapedWindowWin32, CutAwayPixelsShowWhatLiesBehind) {
  const ColourWindow behind(RECT{100, 100, 600, 500}, RGB(255, 0, 255));
  const ScopedBitmap picture = LoadPicture(TEST_ORVANE_PICTURE);
  const ColourWindow window(kPlace, RGB(0, 160, 0), WS_POPUP);
  std::int32_t key = 1;
  ShapeFormFromPicture(window.hwnd(), picture.get(), key);
  SetAlwaysOnTop(window.hwnd());
  ::ShowWindow(window.hwnd(), SW_SHOWNOACTIVATE);
  ::UpdateWindow(window.hwnd());
  PumpFor(std::chrono::milliseconds(500));

  // The bottom-left pixel is the key colour (cut away); the runs name the kept pixels.
  const std::vector<RunRect> runs = RunsOf(picture.get(), key);
  const RunRect& kept = runs[runs.size() / 2];
  EXPECT_EQ(ScreenPixel(POINT{200, 150 + 119}), 0xFF00FF) << "a cut-away pixel";
  EXPECT_EQ(ScreenPixel(POINT{200 + kept.left, 150 + kept.top}), 0x00A000) << "a kept pixel";
}

TEST(ShapedWindowWin32, ScaledPictureKeepsItsKeyAndItsShape) {
  const ScopedBitmap picture = LoadPicture(TEST_ORVANE_PICTURE);
  const ScopedBitmap scaled(ScalePicture(picture.get(), 144, 96));
  const SIZE size = BitmapSize(scaled.get());
  EXPECT_EQ(size.cx, 348);
  EXPECT_EQ(size.cy, 180);
  cDIBSection dib;
  CreateFromPicture(dib, scaled.get());
  EXPECT_EQ(dib.PixelColour(0, 0), 0) << "no blend with the key colour";
  const auto area = [](const std::vector<RunRect>& runs) {
    long total = 0;
    for (const RunRect& run : runs) total += run.right - run.left;
    return total;
  };
  const double original = static_cast<double>(area(RunsOf(picture.get(), 0)));
  const double grown = static_cast<double>(area(RunsOf(scaled.get(), 0)));
  EXPECT_NEAR(grown / original, 2.25, 0.05);
}

TEST(WindowHelpersWin32, AlwaysOnTopNeitherMovesNorResizes) {
  const ColourWindow window(kPlace, RGB(0, 0, 0), WS_POPUP);
  ::ShowWindow(window.hwnd(), SW_SHOWNOACTIVATE);
  RECT before{};
  ::GetWindowRect(window.hwnd(), &before);
  SetAlwaysOnTop(window.hwnd());
  RECT after{};
  ::GetWindowRect(window.hwnd(), &after);
  EXPECT_TRUE(::GetWindowLongW(window.hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_TRUE(::EqualRect(&before, &after));
}

TEST(WindowHelpersWin32, PlacedBoxIsMovedOnceWhenItIsActivated) {
  const ColourWindow owner(kPlace, RGB(0, 0, 0), WS_POPUP);
  ::SetWindowPos(owner.hwnd(), nullptr, 100, 100, 800, 600, SWP_NOZORDER | SWP_SHOWWINDOW);
  RECT work{};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  BoxAnswerer answerer;
  ScreenPoint expected{};
  answerer.OnBox([&](HWND, SeenBox& seen) {
    expected = ComputeBoxPosition(
        {seen.rect.left, seen.rect.top, seen.rect.right, seen.rect.bottom}, {100, 100, 900, 700},
        {work.left, work.top, work.right, work.bottom}, PlacementMode::kCenterOnOwner);
  });
  EXPECT_EQ(ShowPlacedMessageBox(owner.hwnd(), "annullata", MB_SYSTEMMODAL, "",
                                 BoxPlacement::kCenterOnOwner),
            IDOK);
  ASSERT_EQ(answerer.boxes().size(), 1u);
  const SeenBox& box = answerer.boxes()[0];
  EXPECT_EQ(box.text, "annullata");
  EXPECT_EQ(box.title, "") << "an empty title stays empty";
  EXPECT_EQ(box.owner, owner.hwnd());
  EXPECT_EQ(box.rect.left, expected.x);
  EXPECT_EQ(box.rect.top, expected.y);
  EXPECT_FALSE(PlacingHookPending()) << "the hook removed itself";

  // On the work area: centred there.
  answerer.OnBox([&](HWND, SeenBox& seen) {
    const int w = seen.rect.right - seen.rect.left;
    EXPECT_EQ(seen.rect.left, work.left + (work.right - work.left - w) / 2);
  });
  ShowPlacedMessageBox(owner.hwnd(), "al centro", MB_OK, "Orvane", BoxPlacement::kCenterOnWorkArea);
  EXPECT_EQ(answerer.boxes().size(), 2u);
}

// A hook that refuses every dialog window: the box fails while it is being created, before any
// activation.
LRESULT CALLBACK RefuseDialogs(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND) {
    const auto* create = reinterpret_cast<CBT_CREATEWNDW*>(lParam);
    if (create->lpcs->lpszClass == MAKEINTRESOURCEW(32770)) return 1;
  }
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST(WindowHelpersWin32, BoxThatFailsLeavesNoHookToMoveALaterWindow) {
  const ColourWindow owner(kPlace, RGB(0, 0, 0), WS_POPUP);
  ::SetWindowPos(owner.hwnd(), nullptr, 100, 100, 800, 600, SWP_NOZORDER | SWP_SHOWWINDOW);
  {
    const ScopedHook refuse(
        ::SetWindowsHookExW(WH_CBT, RefuseDialogs, nullptr, ::GetCurrentThreadId()));
    ASSERT_TRUE(refuse);
    EXPECT_EQ(ShowPlacedMessageBox(owner.hwnd(), "mai", MB_OK, "", BoxPlacement::kCenterOnOwner),
              0);
  }
  EXPECT_FALSE(PlacingHookPending());
  // The next window activated stays where it was put.
  const ColourWindow later(kPlace, RGB(0, 0, 0), WS_POPUP);
  ::SetWindowPos(later.hwnd(), nullptr, 20, 30, 50, 40, SWP_NOZORDER | SWP_SHOWWINDOW);
  ::SetActiveWindow(later.hwnd());
  RECT place{};
  ::GetWindowRect(later.hwnd(), &place);
  EXPECT_EQ(place.left, 20);
  EXPECT_EQ(place.top, 30);
}

// An owner that keeps the messages its window sent it and follows a change of DPI.
class RecordingOwner {
 public:
  HWND Create(int left = 0) {
    WindowSpec windowSpec;
    windowSpec.className = L"DropletTestOwnedWindow";
    windowSpec.style = WS_POPUP;
    windowSpec.left = left;
    windowSpec.width = 50;
    windowSpec.height = 40;
    return OwnedWindows::Create(*this, windowSpec);
  }
  std::vector<UINT> messages;
  UINT dpi = 0;

 private:
  friend class droplet::OwnedWindows;
  LRESULT OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    messages.push_back(message);
    if (message == WM_DPICHANGED) dpi = AcceptDpiChange(window, wParam, lParam);
    return ::DefWindowProcW(window, message, wParam, lParam);
  }
};

TEST(WindowHelpersWin32, OwnedWindowsTalkToTheirOwnOwnerFromCreationToTheEnd) {
  RecordingOwner first;
  RecordingOwner second;
  const HWND one = first.Create();
  const HWND two = second.Create(100);  // the class is registered already: as good
  ASSERT_NE(one, nullptr);
  ASSERT_NE(two, nullptr);
  ASSERT_FALSE(first.messages.empty());
  EXPECT_EQ(first.messages.front(), static_cast<UINT>(WM_NCCREATE));

  // A change of DPI moves the window where the system suggests and leaves its size alone.
  RECT suggested{300, 200, 900, 900};
  ::SendMessageW(one, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
  EXPECT_EQ(first.dpi, 144u);
  RECT place{};
  ::GetWindowRect(one, &place);
  EXPECT_EQ(place.left, 300);
  EXPECT_EQ(place.top, 200);
  EXPECT_EQ(place.right - place.left, 50);
  EXPECT_EQ(second.dpi, 0u);

  ::DestroyWindow(one);
  EXPECT_EQ(first.messages.back(), static_cast<UINT>(WM_NCDESTROY));
  // Detached, the owner hears nothing of its window's end.
  const std::size_t heard = second.messages.size();
  OwnedWindows::Detach(two);
  ::DestroyWindow(two);
  EXPECT_EQ(second.messages.size(), heard);
}

TEST(WindowHelpersWin32, InterfaceFontHasTheAskedHeightWeightAndFace) {
  for (const auto& [height, bold, face, expectedFace] :
       {std::tuple{15, true, std::string(), L"MS Shell Dlg 2"},
        std::tuple{11, false, std::string("Arial"), L"Arial"}}) {
    const ScopedFont font = CreateInterfaceFont(height, bold, face);
    ASSERT_TRUE(font);
    LOGFONTW description{};
    ASSERT_EQ(::GetObjectW(font.get(), sizeof description, &description),
              static_cast<int>(sizeof description));
    EXPECT_EQ(description.lfHeight, -height);  // the characters' height, not the cell's
    EXPECT_EQ(description.lfWeight, bold ? FW_BOLD : FW_NORMAL);
    EXPECT_STREQ(description.lfFaceName, expectedFace);
  }
}

TEST(DropTargetWin32, FileListsArriveAsUtf8AndOtherDataIsRefused) {
  const std::vector<std::string> paths = {"C:\\dati\\отчёт 报告.pdf", "C:\\dati\\b.pdf"};
  HGLOBAL block = MakeHDrop(paths);
  EXPECT_EQ(DragDataFromHDrop(static_cast<HDROP>(block)).paths, paths);
  ::GlobalFree(block);

  std::vector<DragData> seen;
  std::vector<unsigned> allowedSeen;
  std::vector<DragData> dropped;
  auto* target = new DropTarget(
      [&](const DragData& data, unsigned allowed) {
        seen.push_back(data);
        allowedSeen.push_back(allowed);
        return data.offersFileList ? allowed & DROPEFFECT_COPY : DROPEFFECT_NONE;
      },
      [&](const DragData& data) { dropped.push_back(data); });

  IDataObject* text = MakeDataObject(paths, true);
  EXPECT_EQ(DragAndDrop(*target, *text, POINT{10, 10}), static_cast<DWORD>(DROPEFFECT_NONE));
  text->Release();
  ASSERT_FALSE(seen.empty());
  EXPECT_FALSE(seen.back().offersFileList);
  EXPECT_TRUE(dropped.empty()) << "nothing reaches the drop handler";

  IDataObject* files = MakeDataObject(paths);
  EXPECT_EQ(DragAndDrop(*target, *files, POINT{10, 10}), static_cast<DWORD>(DROPEFFECT_COPY));
  files->Release();
  EXPECT_EQ(allowedSeen.back(), static_cast<unsigned>(DROPEFFECT_COPY | DROPEFFECT_MOVE));
  ASSERT_EQ(dropped.size(), 1u);
  EXPECT_TRUE(dropped[0].offersFileList);
  EXPECT_EQ(dropped[0].paths, paths);
  target->Release();
}

}  // namespace
}  // namespace droplet::testing
