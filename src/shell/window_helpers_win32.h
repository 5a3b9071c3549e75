#pragma once

// Window helpers on Win32: windows whose messages go to an object, the interface font, the
// change of DPI, the topmost layer and message boxes placed by a one-shot hook. Windows-only
// header.

#include <windows.h>

#include <string>

#include "common/desktop_services.h"
#include "common/scoped_win32.h"
#include "common/twips.h"
#include "shell/box_position.h"

namespace droplet {

// Rectangles between the portable code's terms and Win32's.
inline RECT ToRect(const PixelRect& rect) {
  return RECT{rect.left, rect.top, rect.right(), rect.bottom()};
}
inline ScreenRect ToScreenRect(const RECT& rect) {
  return ScreenRect{rect.left, rect.top, rect.right, rect.bottom};
}

// What the windows of a class share: the class style, the pointer, the background and the icons.
struct WindowClassLook {
  UINT style = 0;  // CS_DBLCLKS, ...
  HCURSOR cursor = nullptr;
  HBRUSH background = nullptr;
  HICON icon = nullptr;
  HICON smallIcon = nullptr;
};

// What CreateWindowEx is told besides the owner.
struct WindowSpec {
  const wchar_t* className = nullptr;
  WindowClassLook look;
  DWORD exStyle = 0;
  std::wstring title;
  DWORD style = 0;
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  HWND parent = nullptr;  // HWND_MESSAGE for a message-only window
};

// Windows whose messages go to an object, their owner: from WM_NCCREATE to WM_NCDESTROY, both
// included, every message reaches `LRESULT Owner::OnMessage(HWND, UINT, WPARAM, LPARAM)`, which
// the owner opens to this class (`friend class OwnedWindows;`). The messages before WM_NCCREATE
// and after Detach go to the default procedure.
class OwnedWindows {
 public:
  // Registers `windowSpec.className` for this program on the first call (a class that an earlier
  // window registered is used as it is) and makes a window of it for `owner`. Null when the
  // window cannot be made.
  template <typename Owner>
  static HWND Create(Owner& owner, const WindowSpec& windowSpec) {
    Register(windowSpec.className, &Procedure<Owner>, windowSpec.look);
    return ::CreateWindowExW(windowSpec.exStyle, windowSpec.className, windowSpec.title.c_str(),
                             windowSpec.style, windowSpec.left, windowSpec.top, windowSpec.width,
                             windowSpec.height, windowSpec.parent, nullptr,
                             ::GetModuleHandleW(nullptr), &owner);
  }

  // The owner of `window` hears no more of it, as before an owner goes while its window stays
  // to be destroyed.
  static void Detach(HWND window);

 private:
  static void Register(const wchar_t* className, WNDPROC procedure, const WindowClassLook& look);

  template <typename Owner>
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      ::SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* owner = reinterpret_cast<Owner*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (owner == nullptr) return ::DefWindowProcW(window, message, wParam, lParam);
    // The last message: the owner may end itself while it handles it.
    if (message == WM_NCDESTROY) Detach(window);
    return owner->OnMessage(window, message, wParam, lParam);
  }
};

// The programs' interface font ("MS Shell Dlg 2" unless `face` names another), its characters
// `pixelHeight` pixels high, bold or normal.
ScopedFont CreateInterfaceFont(int pixelHeight, bool bold, const std::string& face = {});

// WM_DPICHANGED: moves `window` to where the system suggests (`lParam`), leaving its size to the
// caller's new layout, and returns the new dots per inch (`wParam`).
UINT AcceptDpiChange(HWND window, WPARAM wParam, LPARAM lParam);

// Puts `window` in the topmost layer without moving or resizing it.
void SetAlwaysOnTop(HWND window);

// Shows a standard message box owned by `owner` (null: none) and returns the button pressed
// (0 when the box could not be shown). Unless `placement` is kSystem, a WH_CBT hook of the
// calling thread moves the box when it is activated, with ComputeBoxPosition: centred on its
// owner or on the work area, and inside the work area. The hook removes itself there, and is
// removed when the call returns in any case, so that it never moves a later window.
int ShowPlacedMessageBox(HWND owner, const std::string& text, unsigned style,
                         const std::string& title, BoxPlacement placement);

// The box owned by the foreground window, centred on it or on the work area.
int CenteredMessageBox(const std::string& text, unsigned style, const std::string& title,
                       bool centerOnOwner);

// Whether a placing hook is installed on the calling thread (false outside a placed box).
bool PlacingHookPending();

}  // namespace droplet
