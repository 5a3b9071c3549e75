#include "front_end/single_instance_win32.h"

#include <algorithm>
#include <chrono>
#include <thread>
#include <utility>

#include "common/text_win32.h"

namespace droplet {
namespace {

constexpr wchar_t kWindowClass[] = L"DropletInstance";
// Marks a hand-over among the WM_COPYDATA messages a window may receive.
constexpr ULONG_PTR kHandOverTag = 0x44524f50;  // "DROP"
constexpr UINT kHandleReceived = WM_APP + 1;

// The files as one block: each path ended by a zero.
std::wstring Pack(const std::vector<std::string>& files) {
  std::wstring block;
  for (const std::string& file : files) {
    block += ToWide(file);
    block += L'\0';
  }
  return block;
}

std::vector<std::string> Unpack(const COPYDATASTRUCT& data) {
  std::vector<std::string> files;
  const auto* text = static_cast<const wchar_t*>(data.lpData);
  const size_t length = data.cbData / sizeof(wchar_t);
  size_t start = 0;
  for (size_t i = 0; i < length; ++i) {
    if (text[i] != L'\0') continue;
    if (i > start) files.push_back(FromWide(std::wstring(text + start, i - start)));
    start = i + 1;
  }
  return files;
}

}  // namespace

SingleInstance::SingleInstance(const std::string& name) : title_(ToWide(name)) {
  mutex_ = ::CreateMutexW(nullptr, FALSE, (L"Local\\" + title_).c_str());
  // Without a mutex (an object of another kind holds the name) this start cannot tell; it runs
  // as the instance rather than not at all.
  first_ = mutex_ == nullptr || ::GetLastError() != ERROR_ALREADY_EXISTS;
}

SingleInstance::~SingleInstance() {
  if (window_ != nullptr) ::DestroyWindow(window_);
  if (mutex_ != nullptr) ::CloseHandle(mutex_);
}

bool SingleInstance::Listen(std::function<void(const std::vector<std::string>&)> receive) {
  receive_ = std::move(receive);
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = WindowProcedure;
  windowClass.hInstance = ::GetModuleHandleW(nullptr);
  windowClass.lpszClassName = kWindowClass;
  ::RegisterClassExW(&windowClass);
  window_ = ::CreateWindowExW(0, kWindowClass, title_.c_str(), 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              windowClass.hInstance, nullptr);
  if (window_ == nullptr) return false;
  ::SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  return true;
}

bool SingleInstance::HandOver(const std::vector<std::string>& files, int timeoutMs) {
  std::wstring block = Pack(files);
  COPYDATASTRUCT data{};
  data.dwData = kHandOverTag;
  data.cbData = static_cast<DWORD>(block.size() * sizeof(wchar_t));
  data.lpData = block.data();
  // The instance may have taken the mutex a moment ago and not be listening yet.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    const HWND instance = ::FindWindowExW(HWND_MESSAGE, nullptr, kWindowClass, title_.c_str());
    if (instance != nullptr) {
      // The instance brings its window to the front; the system lets it only when told so.
      DWORD process = 0;
      ::GetWindowThreadProcessId(instance, &process);
      ::AllowSetForegroundWindow(process);
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      DWORD_PTR taken = 0;
      return ::SendMessageTimeoutW(instance, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                                   SMTO_ABORTIFHUNG | SMTO_BLOCK,
                                   static_cast<UINT>(std::max<long long>(left.count(), 500)),
                                   &taken) != 0 &&
             taken == TRUE;
    }
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

LRESULT CALLBACK SingleInstance::WindowProcedure(HWND window, UINT message, WPARAM wParam,
                                                 LPARAM lParam) {
  auto* self = reinterpret_cast<SingleInstance*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (message == WM_COPYDATA && self != nullptr) {
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    if (data == nullptr || data->dwData != kHandOverTag) return FALSE;
    // The sender waits until this returns: the files are taken over at once and handled from
    // the message loop.
    self->received_.push_back(Unpack(*data));
    ::PostMessageW(window, kHandleReceived, 0, 0);
    return TRUE;
  }
  if (message == kHandleReceived && self != nullptr) {
    while (!self->received_.empty()) {
      const std::vector<std::string> files = std::move(self->received_.front());
      self->received_.pop_front();
      if (self->receive_) self->receive_(files);
    }
    return 0;
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace droplet
