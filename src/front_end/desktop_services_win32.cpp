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
  WindowSpec windowSpec;
  windowSpec.className = kPostWindowClass;
  windowSpec.parent = HWND_MESSAGE;
  postWindow_.reset(OwnedWindows::Create(*this, windowSpec));
}

Win32DesktopServices::~Win32DesktopServices() {
  while (busyDepth_ > 0) SetBusyPointer(false);
  postWindow_.reset();
}

LRESULT Win32DesktopServices::OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kRunPostedCall) {
    RunPostedCalls();
    return 0;
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

void Win32DesktopServices::PostToWindowThread(std::function<void()> call) {
  {
    std::lock_guard<std::mutex> lock(postedMutex_);
    posted_.push_back(std::move(call));
  }
  ::PostMessageW(postWindow_.get(), kRunPostedCall, 0, 0);
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
