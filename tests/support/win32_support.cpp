#include "support/win32_support.h"

#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "common/platform.h"
#include "common/text_win32.h"
#include "front_end/main_window_win32.h"
#include "settings/options_dialog_win32.h"

namespace droplet::testing {

namespace {

thread_local BoxAnswerer* t_answerer = nullptr;
thread_local MenuChooser* t_chooser = nullptr;

std::string ClassOf(HWND window) {
  wchar_t name[64] = {};
  ::GetClassNameW(window, name, 64);
  return FromWide(name);
}

// The text of a window, also of a control in another process (WM_GETTEXT crosses processes).
std::string TextOf(HWND window) {
  if (window == nullptr) return {};
  DWORD_PTR length = 0;
  ::SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length);
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  ::SendMessageTimeoutW(window, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()),
                        SMTO_ABORTIFHUNG, 2000, &copied);
  text.resize(copied);
  return FromWide(text);
}

bool Shows(HWND box, int button) {
  const HWND item = ::GetDlgItem(box, button);
  return item != nullptr && ::IsWindowVisible(item);
}

std::vector<HWND> VisibleWindowsOfClass(DWORD thread, const char* className) {
  struct Search {
    const char* className;
    std::vector<HWND> found;
  } search{className, {}};
  const auto collect = [](HWND window, LPARAM parameter) -> BOOL {
    auto* s = reinterpret_cast<Search*>(parameter);
    if (::IsWindowVisible(window) && ClassOf(window) == s->className) s->found.push_back(window);
    return TRUE;
  };
  ::EnumThreadWindows(thread, collect, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void SendMouse(DWORD flags, POINT at) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  const int width = ::GetSystemMetrics(SM_CXSCREEN);
  const int height = ::GetSystemMetrics(SM_CYSCREEN);
  input.mi.dx = MulDiv(at.x, 65535, width - 1);
  input.mi.dy = MulDiv(at.y, 65535, height - 1);
  input.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
  ::SendInput(1, &input, sizeof input);
}

}  // namespace

void PressKey(WORD key, WORD modifier) {
  std::vector<INPUT> inputs;
  const auto add = [&inputs](WORD code, DWORD flags) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = code;
    input.ki.dwFlags = flags;
    inputs.push_back(input);
  };
  if (modifier != 0) add(modifier, 0);
  add(key, 0);
  add(key, KEYEVENTF_KEYUP);
  if (modifier != 0) add(modifier, KEYEVENTF_KEYUP);
  ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      const HWND options = CurrentOptionsDialog();
      if (options != nullptr && ::IsDialogMessageW(options, &message)) continue;
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  return true;
}

void PumpFor(std::chrono::milliseconds time) {
  PumpUntil([] { return false; }, time);
}

BoxAnswerer::BoxAnswerer() {
  t_answerer = this;
  timer_ = ::SetTimer(nullptr, 0, 40, Tick);
}

BoxAnswerer::~BoxAnswerer() {
  ::KillTimer(nullptr, timer_);
  if (t_answerer == this) t_answerer = nullptr;
}

std::vector<std::string> BoxAnswerer::texts() const {
  std::vector<std::string> texts;
  for (const SeenBox& box : boxes_) texts.push_back(box.text);
  return texts;
}

void CALLBACK BoxAnswerer::Tick(HWND, UINT, UINT_PTR, DWORD) {
  if (t_answerer != nullptr) t_answerer->AnswerBoxes();
}

void BoxAnswerer::AnswerBoxes() {
  for (HWND box : VisibleWindowsOfClass(::GetCurrentThreadId(), "#32770")) {
    if (std::find(answered_.begin(), answered_.end(), box) != answered_.end()) continue;
    // Only message boxes: they have a text and an OK or a Yes button, and no file name box (the
    // open dialog has one and is left to its test).
    if (!Shows(box, IDOK) && !Shows(box, IDYES)) continue;
    if (::GetDlgItem(box, kFileNameBox) != nullptr) continue;
    answered_.push_back(box);
    SeenBox seen = ReadBox(box);
    if (check_) check_(box, seen);
    int button = seen.yesNo ? IDNO : IDOK;
    if (!script_.empty()) {
      button = script_.front();
      script_.pop_front();
    }
    boxes_.push_back(seen);
    PressBoxButton(box, button);
  }
}

std::vector<HWND> MessageBoxesOf(DWORD processId) {
  struct Search {
    DWORD process;
    std::vector<HWND> found;
  } search{processId, {}};
  const auto collect = [](HWND window, LPARAM parameter) -> BOOL {
    auto* s = reinterpret_cast<Search*>(parameter);
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    if (process == s->process && ::IsWindowVisible(window) && ClassOf(window) == "#32770") {
      s->found.push_back(window);
    }
    return TRUE;
  };
  ::EnumWindows(collect, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

SeenBox ReadBox(HWND box) {
  SeenBox seen;
  seen.title = TextOf(box);
  // The box's text: its static control with the identifier 0xFFFF (Windows) or 100 (Wine).
  HWND text = ::GetDlgItem(box, 0xFFFF);
  if (text == nullptr) text = ::GetDlgItem(box, 100);
  seen.text = TextOf(text);
  seen.yesNo = Shows(box, IDYES) && Shows(box, IDNO);
  ::GetWindowRect(box, &seen.rect);
  seen.owner = ::GetWindow(box, GW_OWNER);
  return seen;
}

void PressBoxButton(HWND box, int button) {
  if (!Shows(box, button)) button = Shows(box, IDOK) ? IDOK : IDCANCEL;
  ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(::GetDlgItem(box, button)));
}

MenuChooser::MenuChooser(int index) : index_(index) {
  t_chooser = this;
  timer_ = ::SetTimer(nullptr, 0, 40, Tick);
}

MenuChooser::~MenuChooser() {
  ::KillTimer(nullptr, timer_);
  if (t_chooser == this) t_chooser = nullptr;
}

void CALLBACK MenuChooser::Tick(HWND, UINT, UINT_PTR, DWORD) {
  if (t_chooser == nullptr) return;
  if (!t_chooser->seen_.shown) {
    t_chooser->Choose();
    return;
  }
  // Still open a while after the click: a greyed entry keeps the menu.
  if (++t_chooser->ticksSinceClick_ == 8 &&
      !VisibleWindowsOfClass(::GetCurrentThreadId(), "#32768").empty()) {
    PressKey(VK_ESCAPE);
  }
}

void MenuChooser::Choose() {
  const std::vector<HWND> menus = VisibleWindowsOfClass(::GetCurrentThreadId(), "#32768");
  if (menus.empty()) return;
  constexpr UINT kGetMenuHandle = 0x01E1;  // MN_GETHMENU
  const auto menu = reinterpret_cast<HMENU>(::SendMessageW(menus.front(), kGetMenuHandle, 0, 0));
  if (menu == nullptr) return;
  seen_.shown = true;
  RECT rect{};
  ::GetWindowRect(menus.front(), &rect);
  seen_.at = POINT{rect.left, rect.top};
  const int count = ::GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    wchar_t caption[128] = {};
    MENUITEMINFOW item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_STRING;
    item.dwTypeData = caption;
    item.cch = 127;
    ::GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &item);
    seen_.captions.push_back((item.fType & MFT_SEPARATOR) ? "-" : FromWide(caption));
    seen_.enabled.push_back(!(item.fState & MFS_DISABLED));
  }
  RECT entry{};
  if (index_ < 0 || !::GetMenuItemRect(nullptr, menu, static_cast<UINT>(index_), &entry)) {
    PressKey(VK_ESCAPE);
    return;
  }
  ClickMouse(POINT{(entry.left + entry.right) / 2, (entry.top + entry.bottom) / 2});
}

void MoveMouse(POINT at) {
  SendMouse(0, at);
}

std::thread DragMouseInSteps(POINT from, POINT step, DWORD buttonDown) {
  return std::thread([from, step, buttonDown] {
    INPUT press{};
    press.type = INPUT_MOUSE;
    press.mi.dwFlags = buttonDown;
    ::SendInput(1, &press, sizeof press);
    for (int i = 1; i <= 5; ++i) {
      Sleep(40);
      MoveMouse(POINT{from.x + step.x * i, from.y + step.y * i});
    }
    Sleep(200);
    press.mi.dwFlags = buttonDown << 1;  // each button's release flag follows its press flag
    ::SendInput(1, &press, sizeof press);
  });
}

void ClickMouse(POINT at, bool rightButton, int clicks) {
  MoveMouse(at);
  for (int i = 0; i < clicks; ++i) {
    SendMouse(rightButton ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN, at);
    SendMouse(rightButton ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP, at);
  }
}

std::int32_t ScreenPixel(POINT at) {
  const HDC screen = ::GetDC(nullptr);
  const COLORREF colour = ::GetPixel(screen, at.x, at.y);
  ::ReleaseDC(nullptr, screen);
  return static_cast<std::int32_t>(GetBValue(colour) | (GetGValue(colour) << 8) |
                                   (GetRValue(colour) << 16));
}

ColourWindow::ColourWindow(const RECT& place, COLORREF colour, DWORD style)
    : brush_(::CreateSolidBrush(colour)) {
  static const wchar_t kClass[] = L"DropletTestColour";
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = ::DefWindowProcW;
  windowClass.hInstance = ::GetModuleHandleW(nullptr);
  windowClass.lpszClassName = kClass;
  ::RegisterClassExW(&windowClass);
  window_ = ::CreateWindowExW(WS_EX_TOOLWINDOW, kClass, L"", style, place.left, place.top,
                              place.right - place.left, place.bottom - place.top, nullptr, nullptr,
                              windowClass.hInstance, nullptr);
  ::SetClassLongPtrW(window_, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(brush_));
  ::ShowWindow(window_, SW_SHOWNOACTIVATE);
  ::UpdateWindow(window_);
}

ColourWindow::~ColourWindow() {
  ::DestroyWindow(window_);
  ::DeleteObject(brush_);
}

IDataObject* MakeDataObject(const std::vector<std::string>& paths, bool asText) {
  // What the clipboard holds, OLE hands out as a data object of its own.
  HGLOBAL block = MakeHDrop(paths);
  if (asText) {
    ::GlobalFree(block);
    const std::wstring text = ToWide(paths.empty() ? std::string() : paths.front());
    block = ::GlobalAlloc(GHND, (text.size() + 1) * sizeof(wchar_t));
    std::memcpy(::GlobalLock(block), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    ::GlobalUnlock(block);
  }
  IDataObject* data = nullptr;
  if (::OpenClipboard(nullptr)) {
    ::EmptyClipboard();
    ::SetClipboardData(asText ? CF_UNICODETEXT : CF_HDROP, block);
    ::CloseClipboard();
    ::OleGetClipboard(&data);
  }
  return data;
}

HGLOBAL MakeHDrop(const std::vector<std::string>& paths) {
  std::wstring list;
  for (const std::string& path : paths) {
    list += ToWide(path);
    list.push_back(L'\0');
  }
  list.push_back(L'\0');
  const size_t bytes = sizeof(DROPFILES) + list.size() * sizeof(wchar_t);
  const HGLOBAL block = ::GlobalAlloc(GHND, bytes);
  if (block == nullptr) return nullptr;
  auto* files = static_cast<DROPFILES*>(::GlobalLock(block));
  files->pFiles = sizeof(DROPFILES);
  files->fWide = TRUE;
  std::memcpy(reinterpret_cast<char*>(files) + sizeof(DROPFILES), list.data(),
              list.size() * sizeof(wchar_t));
  ::GlobalUnlock(block);
  return block;
}

DWORD DragAndDrop(IDropTarget& target, IDataObject& data, POINT at, DWORD allowed) {
  const POINTL point{at.x, at.y};
  DWORD effect = allowed;
  target.DragEnter(&data, MK_LBUTTON, point, &effect);
  if (effect != DROPEFFECT_NONE) {
    effect = allowed;
    target.DragOver(MK_LBUTTON, point, &effect);
  }
  if (effect == DROPEFFECT_NONE) {
    target.DragLeave();
    return effect;
  }
  effect = allowed;
  target.Drop(&data, 0, point, &effect);
  return effect;
}

POINT OpaquePoint(const Form1& form) {
  RECT client{};
  ::GetClientRect(form.hwnd(), &client);
  const int row = client.bottom / 3;
  POINT at{client.right / 2, row};
  int widest = 0;
  for (const RunRect& run : form.opaqueRuns()) {
    if (run.top == row && run.right - run.left > widest) {
      widest = run.right - run.left;
      at = POINT{(run.left + run.right) / 2, row};
    }
  }
  ::ClientToScreen(form.hwnd(), &at);
  return at;
}

std::string BesideTests(const std::string& name) {
  return ProgramFolder() + "\\" + name;
}

}  // namespace droplet::testing
