#include "shell/window_helpers_win32.h"

#include <commctrl.h>

#include "common/text_win32.h"
#include "shell/box_position.h"

namespace droplet {

namespace {

// The hook slot: the hook a placed box installed on this thread and how it places the box.
// One box at a time can be pending on a thread, since the box is modal and the hook goes at its
// activation.
struct PendingPlacement {
  ScopedHook hook;
  PlacementMode mode = PlacementMode::kCenterOnWorkArea;
};
thread_local PendingPlacement t_pending;

void RemovePlacingHook() {
  t_pending.hook.reset();
}

// Moves `box` to where ComputeBoxPosition puts a box of its size.
void MoveBox(HWND box, PlacementMode mode) {
  RECT work{};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  RECT owner{0, 0, 0, 0};
  if (mode == PlacementMode::kCenterOnOwner) {
    const HWND ownerWindow = ::GetParent(box);
    if (ownerWindow == nullptr || !::GetWindowRect(ownerWindow, &owner)) owner = RECT{0, 0, 0, 0};
  }
  RECT boxRect{};
  ::GetWindowRect(box, &boxRect);
  const ScreenPoint point =
      ComputeBoxPosition(ToScreenRect(boxRect), ToScreenRect(owner), ToScreenRect(work), mode);
  ::SetWindowPos(box, nullptr, point.x, point.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// A box activated before it has its final size (Wine activates a system-modal box while it
// is being created, before the box sizes and centres itself) is moved again just before it
// shows, once.
LRESULT CALLBACK MoveWhenShown(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                               DWORD_PTR mode) {
  if (message == WM_SHOWWINDOW && wParam) {
    MoveBox(box, static_cast<PlacementMode>(mode));
    ::RemoveWindowSubclass(box, MoveWhenShown, id);
  } else if (message == WM_NCDESTROY) {
    ::RemoveWindowSubclass(box, MoveWhenShown, id);
  }
  return ::DefSubclassProc(box, message, wParam, lParam);
}

// The CBT hook: on the first activation of a window of this thread (the message box), moves
// it to its computed place and removes itself.
LRESULT CALLBACK PlaceBoxOnActivation(int code, WPARAM wParam, LPARAM lParam) {
  if (code != HCBT_ACTIVATE) return ::CallNextHookEx(nullptr, code, wParam, lParam);
  const HWND box = reinterpret_cast<HWND>(wParam);
  MoveBox(box, t_pending.mode);
  if (!::IsWindowVisible(box)) {
    ::SetWindowSubclass(box, MoveWhenShown, 1, static_cast<DWORD_PTR>(t_pending.mode));
  }
  RemovePlacingHook();
  return 0;
}

}  // namespace

void OwnedWindows::Detach(HWND window) {
  ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
}

void OwnedWindows::Register(const wchar_t* className, WNDPROC procedure,
                            const WindowClassLook& look) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = look.style;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = ::GetModuleHandleW(nullptr);
  windowClass.hCursor = look.cursor;
  windowClass.hbrBackground = look.background;
  windowClass.hIcon = look.icon;
  windowClass.hIconSm = look.smallIcon;
  windowClass.lpszClassName = className;
  // Fails when an earlier window registered the class: that one serves as well.
  ::RegisterClassExW(&windowClass);
}

ScopedFont CreateInterfaceFont(int pixelHeight, bool bold, const std::string& face) {
  const std::wstring name = face.empty() ? std::wstring(L"MS Shell Dlg 2") : ToWide(face);
  return ScopedFont(::CreateFontW(-pixelHeight, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE,
                                  FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                  DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, name.c_str()));
}

UINT AcceptDpiChange(HWND window, WPARAM wParam, LPARAM lParam) {
  const auto* suggested = reinterpret_cast<const RECT*>(lParam);
  ::SetWindowPos(window, nullptr, suggested->left, suggested->top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  return HIWORD(wParam);
}

void SetAlwaysOnTop(HWND window) {
  ::SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

int ShowPlacedMessageBox(HWND owner, const std::string& text, unsigned style,
                         const std::string& title, BoxPlacement placement) {
  if (placement != BoxPlacement::kSystem) {
    RemovePlacingHook();
    t_pending.mode = placement == BoxPlacement::kCenterOnOwner ? PlacementMode::kCenterOnOwner
                                                               : PlacementMode::kCenterOnWorkArea;
    // Without the hook the box still shows, where the system puts it.
    t_pending.hook.reset(
        ::SetWindowsHookExW(WH_CBT, PlaceBoxOnActivation, nullptr, ::GetCurrentThreadId()));
  }
  const int result = ::MessageBoxExW(owner, ToWide(text).c_str(), ToWide(title).c_str(), style, 0);
  // A box that failed before its activation leaves its hook behind: it must not move the next
  // window this thread activates.
  RemovePlacingHook();
  // Windows says 0 for a box it could not show, Wine -1 (its dialog's failure).
  return result > 0 ? result : 0;
}

int CenteredMessageBox(const std::string& text, unsigned style, const std::string& title,
                       bool centerOnOwner) {
  return ShowPlacedMessageBox(
      ::GetForegroundWindow(), text, style, title,
      centerOnOwner ? BoxPlacement::kCenterOnOwner : BoxPlacement::kCenterOnWorkArea);
}

bool PlacingHookPending() {
  return static_cast<bool>(t_pending.hook);
}

}  // namespace droplet
