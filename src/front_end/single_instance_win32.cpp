#include "front_end/single_instance.h"

#include <windows.h>

#include <aclapi.h>

#include <algorithm>
#include <chrono>
#include <deque>
#include <thread>
#include <utility>

#include "common/scoped_win32.h"
#include "common/text_win32.h"

// The instance holds a named mutex of the session (Local\<name>) and, once listening, a
// message-only window whose title is the same name. A later start finds the mutex taken and
// hands its files over to that window with WM_COPYDATA (full paths, UTF-16, each ended by a
// zero). The system releases the mutex of a program that ended in any way. The session's own
// namespace and the desktop's windows keep other sessions out; within the session, a mutex or a
// window of another user (a program started as someone else) is never taken for the instance.

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

LRESULT CALLBACK InstanceWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The user a process token stands for, as a copy of its SID, or empty.
std::vector<unsigned char> TokenUserOf(HANDLE process) {
  HANDLE token = nullptr;
  if (!::OpenProcessToken(process, TOKEN_QUERY, &token)) return {};
  const ScopedHandle owned(token);
  DWORD size = 0;
  ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  std::vector<unsigned char> buffer(size);
  if (size == 0 || !::GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) return {};
  const PSID sid = reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid;
  return std::vector<unsigned char>(static_cast<unsigned char*>(sid),
                                    static_cast<unsigned char*>(sid) + ::GetLengthSid(sid));
}

bool IsOwnUser(PSID sid) {
  static const std::vector<unsigned char> own = TokenUserOf(::GetCurrentProcess());
  return sid != nullptr && !own.empty() && ::IsValidSid(sid) &&
         ::EqualSid(sid, const_cast<unsigned char*>(own.data()));
}

// The process `process` runs in this program's session as its user.
bool IsOwnSessionAndUser(DWORD process) {
  DWORD session = 0;
  DWORD ownSession = 0;
  if (!::ProcessIdToSessionId(process, &session) ||
      !::ProcessIdToSessionId(::GetCurrentProcessId(), &ownSession) || session != ownSession) {
    return false;
  }
  const ScopedHandle handle(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process));
  if (!handle) return false;
  std::vector<unsigned char> user = TokenUserOf(handle.get());
  return !user.empty() && IsOwnUser(user.data());
}

// The kernel object `object` was made by another user. False when the system cannot tell.
bool MadeByAnotherUser(HANDLE object) {
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (::GetSecurityInfo(object, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr,
                        nullptr, nullptr, &descriptor) != ERROR_SUCCESS) {
    return false;
  }
  const bool another = owner != nullptr && !IsOwnUser(owner);
  ::LocalFree(descriptor);
  return another;
}

// The listening window of the instance named `title`: in this desktop (where the search looks),
// of a program of this session and user.
HWND FindInstanceWindow(const std::wstring& title) {
  for (HWND window = ::FindWindowExW(HWND_MESSAGE, nullptr, kWindowClass, title.c_str());
       window != nullptr;
       window = ::FindWindowExW(HWND_MESSAGE, window, kWindowClass, title.c_str())) {
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    if (process != 0 && IsOwnSessionAndUser(process)) return window;
  }
  return nullptr;
}

}  // namespace

struct SingleInstance::State {
  std::wstring title;
  HANDLE mutex = nullptr;
  bool first = false;
  HWND window = nullptr;
  std::function<void(const std::vector<std::string>&)> receive;
  std::deque<std::vector<std::string>> received;  // taken over, not yet handled
};

SingleInstance::SingleInstance(const std::string& name) : state_(std::make_unique<State>()) {
  state_->title = ToWide(name);
  state_->mutex = ::CreateMutexW(nullptr, FALSE, (L"Local\\" + state_->title).c_str());
  // Without a mutex (an object of another kind holds the name, or another user's that this one
  // may not open) this start cannot tell; it runs as the instance rather than not at all. So it
  // does beside a mutex that another user made: that user cannot keep this one from starting.
  state_->first = state_->mutex == nullptr || ::GetLastError() != ERROR_ALREADY_EXISTS ||
                  MadeByAnotherUser(state_->mutex);
}

SingleInstance::~SingleInstance() {
  if (state_->window != nullptr) ::DestroyWindow(state_->window);
  if (state_->mutex != nullptr) ::CloseHandle(state_->mutex);
}

bool SingleInstance::IsFirst() const {
  return state_->first;
}

std::string SingleInstance::Address() const {
  return FromWide(state_->title);
}

bool SingleInstance::Listen(std::function<void(const std::vector<std::string>&)> receive) {
  state_->receive = std::move(receive);
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = InstanceWindowProcedure;
  windowClass.hInstance = ::GetModuleHandleW(nullptr);
  windowClass.lpszClassName = kWindowClass;
  ::RegisterClassExW(&windowClass);
  state_->window = ::CreateWindowExW(0, kWindowClass, state_->title.c_str(), 0, 0, 0, 0, 0,
                                     HWND_MESSAGE, nullptr, windowClass.hInstance, nullptr);
  if (state_->window == nullptr) return false;
  ::SetWindowLongPtrW(state_->window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state_.get()));
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
    const HWND instance = FindInstanceWindow(state_->title);
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

namespace {

LRESULT CALLBACK InstanceWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* state =
      reinterpret_cast<SingleInstance::State*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (message == WM_COPYDATA && state != nullptr) {
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    if (data == nullptr || data->dwData != kHandOverTag) return FALSE;
    // The sender waits until this returns: the files are taken over at once and handled from
    // the message loop.
    state->received.push_back(Unpack(*data));
    ::PostMessageW(window, kHandleReceived, 0, 0);
    return TRUE;
  }
  if (message == kHandleReceived && state != nullptr) {
    while (!state->received.empty()) {
      const std::vector<std::string> files = std::move(state->received.front());
      state->received.pop_front();
      if (state->receive) state->receive(files);
    }
    return 0;
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace
}  // namespace droplet
