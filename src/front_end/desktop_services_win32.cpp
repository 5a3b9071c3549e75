#include "front_end/desktop_services_win32.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

#include "shell/window_helpers_win32.h"

namespace droplet {

namespace {

constexpr UINT kRunPostedCall = WM_APP + 1;
constexpr wchar_t kPostWindowClass[] = L"DropletPostedCalls";

bool IsOurs(HWND window) {
  DWORD process = 0;
  return window != nullptr && ::GetWindowThreadProcessId(window, &process) != 0 &&
         process == ::GetCurrentProcessId();
}

}  // namespace

HCURSOR SystemCursor(LPCSTR id) {
  return ::LoadCursorW(nullptr, MAKEINTRESOURCEW(reinterpret_cast<ULONG_PTR>(id)));
}

Win32DesktopServices::Win32DesktopServices(std::string applicationTitle)
    : applicationTitle_(std::move(applicationTitle)) {
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = PostWindowProcedure;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = kPostWindowClass;
  // A second instance finds the class registered already, which is as good.
  ::RegisterClassExW(&windowClass);
  postWindow_ = ::CreateWindowExW(0, kPostWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  instance, this);
}

Win32DesktopServices::~Win32DesktopServices() {
  while (busyDepth_ > 0) SetBusyPointer(false);
  if (postWindow_ != nullptr) ::DestroyWindow(postWindow_);
}

LRESULT CALLBACK Win32DesktopServices::PostWindowProcedure(HWND window, UINT message, WPARAM wParam,
                                                           LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  } else if (message == kRunPostedCall) {
    auto* self =
        reinterpret_cast<Win32DesktopServices*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self != nullptr) self->RunPostedCalls();
    return 0;
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

void Win32DesktopServices::PostToWindowThread(std::function<void()> call) {
  {
    std::lock_guard<std::mutex> lock(postedMutex_);
    posted_.push_back(std::move(call));
  }
  ::PostMessageW(postWindow_, kRunPostedCall, 0, 0);
}

// One call per message, so that a call runs after the messages queued before it was posted.
void Win32DesktopServices::RunPostedCalls() {
  std::function<void()> call;
  {
    std::lock_guard<std::mutex> lock(postedMutex_);
    if (posted_.empty()) return;
    call = std::move(posted_.front());
    posted_.pop_front();
  }
  call();
}

HWND Win32DesktopServices::BoxOwner() const {
  const HWND foreground = ::GetForegroundWindow();
  return IsOurs(foreground) ? foreground : mainWindow_;
}

int Win32DesktopServices::ShowBox(const std::string& text, unsigned style, const BoxTitle& title,
                                  BoxPlacement placement) {
  return ShowPlacedMessageBox(BoxOwner(), text, style, title.value_or(applicationTitle_),
                              placement);
}

void Win32DesktopServices::SetBusyPointer(bool busy) {
  if (busy) {
    ++busyDepth_;
  } else {
    if (busyDepth_ == 0) return;
    --busyDepth_;
  }
  RefreshPointer();
}

void Win32DesktopServices::RefreshPointer() const {
  if (mainWindow_ == nullptr) return;
  POINT cursor{};
  if (!::GetCursorPos(&cursor)) return;
  const HWND under = ::WindowFromPoint(cursor);
  if (under != mainWindow_ && !::IsChild(mainWindow_, under)) return;
  ::SetCursor(SystemCursor(ShowsBusyPointer() ? IDC_WAIT : IDC_ARROW));
}

void Win32DesktopServices::EndProgram() {
  std::fflush(nullptr);
  std::_Exit(0);
}

}  // namespace droplet
