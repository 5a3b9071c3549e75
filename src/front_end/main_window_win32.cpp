#include "front_end/main_window_win32.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <cwchar>
#include <exception>
#include <span>
#include <utility>

#include "common/failure.h"
#include "common/message_box.h"
#include "common/text_win32.h"
#include "front_end/run_progress.h"
#include "settings/options_dialog_win32.h"
#include "shell/dib_section.h"
#include "shell/dib_section_win32.h"
#include "shell/shaped_window_win32.h"
#include "shell/window_helpers_win32.h"

namespace droplet {

namespace {

constexpr wchar_t kWindowClass[] = L"DropletForm1";
constexpr UINT kCheckConverter = WM_APP + 10;
constexpr UINT_PTR kSweepTimer = 1;
constexpr UINT_PTR kProgressTip = 1000;  // the tool id of the whole window's tip

COLORREF ToColorRef(const Rgb& colour) {
  return RGB(colour.red, colour.green, colour.blue);
}

POINT PointOf(LPARAM lParam) {
  return POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

HINSTANCE ModuleOf(const Win32Pictures& pictures) {
  return pictures.module != nullptr ? pictures.module : ::GetModuleHandleW(nullptr);
}

HBITMAP LoadBitmapResource(HINSTANCE module, int id) {
  return static_cast<HBITMAP>(
      ::LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

}  // namespace

Form1::Form1(const Deliverable& deliverable, const WorkingFolders& folders, Win32Pictures pictures,
             std::unique_ptr<DocumentOpener> opener)
    : desktop_(deliverable.shortName),
      opener_(std::move(opener)),
      workflow_(deliverable, desktop_, *opener_, folders),
      pictures_(pictures) {
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  WindowSpec windowSpec;
  windowSpec.className = kWindowClass;
  windowSpec.exStyle = WS_EX_APPWINDOW;
  windowSpec.style = WS_POPUP | WS_SYSMENU;
  windowSpec.width = 1;
  windowSpec.height = 1;
  windowSpec.look.style = CS_DBLCLKS;
  windowSpec.look.cursor = SystemCursor(IDC_ARROW);
  windowSpec.look.icon = static_cast<HICON>(
      ::LoadImageW(instance, MAKEINTRESOURCEW(DROPLET_ICON), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
  windowSpec.look.smallIcon = static_cast<HICON>(
      ::LoadImageW(instance, MAKEINTRESOURCEW(DROPLET_ICON), IMAGE_ICON,
                   ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), 0));
  window_.reset(OwnedWindows::Create(*this, windowSpec));
  desktop_.SetMainWindow(window_.get());
  FormLoad();
  workflow_.SetProgressListener([this](const RunProgress& progress) { ShowProgress(progress); });
}

Form1::~Form1() {
  dropTarget_.reset();
  if (accessibility_) {
    MSAAPROPID properties[] = {PROPID_ACC_NAME, PROPID_ACC_DESCRIPTION};
    for (const LONG object : {OBJID_WINDOW, OBJID_CLIENT}) {
      accessibility_.get()->ClearHwndProps(window_.get(), static_cast<DWORD>(object), CHILDID_SELF,
                                           properties, 2);
    }
  }
  // The window goes after the object's parts, with no object to hand its last messages to.
  if (window_) OwnedWindows::Detach(window_.get());
}

IDropTarget* Form1::dropTarget() const {
  return dropTarget_ != nullptr ? &dropTarget_->target() : nullptr;
}

void Form1::FormLoad() {
  // Screen readers name a window by its text unless the annotation service names it. A popup
  // shows its text nowhere but in the task bar, which an empty caption leaves blank: there the
  // window's accessible name stands in.
  const std::string caption = workflow_.Caption();
  ::SetWindowTextW(
      window_.get(),
      ToWide(caption.empty() ? workflow_.deliverable().window.accessibleName : caption).c_str());
  IAccPropServices* service = nullptr;
  if (SUCCEEDED(::CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IAccPropServices, reinterpret_cast<void**>(&service)))) {
    accessibility_.reset(service);
  }
  dpi_ = std::max(96u, ::GetDpiForWindow(window_.get()));
  original_.reset(LoadBitmapResource(ModuleOf(pictures_), pictures_.picture));
  ApplyPicture();
  SetAlwaysOnTop(window_.get());
  // The tips come after: Wine does not move a window into the topmost layer past a topmost
  // window it owns (the tips' window).
  PlaceToolTips();
  ShowWindowTexts(RunProgress{});
  dropTarget_ = std::make_unique<DropTargetRegistration>(
      window_.get(),
      [this](const DragData& data, unsigned allowed) {
        unsigned effect = kDropEffectNone;
        ShowingFailures(desktop_, workflow_.deliverable().shortName,
                        [&] { effect = workflow_.FormOLEDragOver(data, allowed); });
        return effect;
      },
      [this](const DragData& data) {
        ShowingFailures(desktop_, workflow_.deliverable().shortName,
                        [&] { workflow_.FormOLEDragDrop(data); });
      });
}

void Form1::ShowWindowTexts(const RunProgress& progress) {
  const WindowTexts texts = WindowTextsFor(workflow_.deliverable().window, progress);
  std::wstring tip = ToWide(texts.toolTip);
  TOOLINFOW info{};
  info.cbSize = sizeof info;
  info.hwnd = window_.get();
  info.uId = kProgressTip;
  info.lpszText = tip.data();
  ::SendMessageW(toolTip_.get(), TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
  if (!accessibility_) return;
  const std::wstring name = ToWide(texts.accessibleName);
  const std::wstring description = ToWide(texts.accessibleDescription);
  // The window and its client area: a screen reader asks either, as the focus lands.
  for (const LONG object : {OBJID_WINDOW, OBJID_CLIENT}) {
    const DWORD id = static_cast<DWORD>(object);
    if (!name.empty()) {
      accessibility_.get()->SetHwndPropStr(window_.get(), id, CHILDID_SELF, PROPID_ACC_NAME,
                                           name.c_str());
    }
    accessibility_.get()->SetHwndPropStr(window_.get(), id, CHILDID_SELF, PROPID_ACC_DESCRIPTION,
                                         description.c_str());
  }
  ::NotifyWinEvent(EVENT_OBJECT_DESCRIPTIONCHANGE, window_.get(), OBJID_CLIENT, CHILDID_SELF);
}

void Form1::ApplyPicture() {
  picture_.reset(dpi_ == 96 ? static_cast<HBITMAP>(::CopyImage(original_.get(), IMAGE_BITMAP, 0, 0,
                                                               LR_CREATEDIBSECTION))
                            : ScalePicture(original_.get(), static_cast<int>(dpi_), 96));
  opaqueRuns_.clear();
  if (picture_) {
    // A popup has no frame, so the runs are in client coordinates.
    opaqueRuns_ = ShapeFormFromPicture(window_.get(), picture_.get(), keyColour_);
  }
  // The window's parts are laid out on the picture as it was drawn (at 96 dots per inch) and
  // grow with it.
  cDIBSection dib;
  CreateFromPicture(dib, original_.get());
  view_ = ComputeWindowView(
      workflow_.deliverable().window,
      PictureShape{dib.Width(), dib.Height(),
                   CollectOpaqueRuns(dib.DIBSectionBitsPtr(), dib.BytesPerScanLine(), dib.Width(),
                                     dib.Height(), keyColour_, 0, 0)},
      Scale());
  labelFonts_.clear();
  for (const LabelView& label : view_.labels) {
    labelFonts_.push_back(CreateInterfaceFont(label.fontPixelSize, label.design.bold));
  }
  ::InvalidateRect(window_.get(), nullptr, TRUE);
}

RECT Form1::progressBarRect() const {
  return ToRect(view_.progressBar);
}

void Form1::PlaceToolTips() {
  if (!toolTip_) {
    toolTip_.reset(::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                     WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                     CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_.get(),
                                     nullptr, ::GetModuleHandleW(nullptr), nullptr));
  }
  const auto tool = [this](UINT_PTR id, const RECT& rect, std::wstring& text) {
    TOOLINFOW info{};
    info.cbSize = sizeof info;
    info.uFlags = TTF_SUBCLASS;
    info.hwnd = window_.get();
    info.uId = id;
    info.rect = rect;
    info.lpszText = text.data();
    ::SendMessageW(toolTip_.get(), TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    ::SendMessageW(toolTip_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
  };
  // The labels' tips first: the first tool under the pointer is the one shown.
  for (std::size_t i = 0; i < view_.labels.size(); ++i) {
    std::wstring text = ToWide(view_.labels[i].design.toolTip);
    tool(i + 1, ToRect(view_.labels[i].place), text);
  }
  RECT client{};
  ::GetClientRect(window_.get(), &client);
  std::wstring none;
  tool(kProgressTip, client, none);
}

void Form1::ShowAtStartPosition() {
  RECT outer{};
  ::GetWindowRect(window_.get(), &outer);
  const int width = outer.right - outer.left;
  const int height = outer.bottom - outer.top;
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  ::GetMonitorInfoW(::MonitorFromWindow(window_.get(), MONITOR_DEFAULTTOPRIMARY), &monitor);
  const ScreenPoint at = StartPosition(width, height, ToScreenRect(monitor.rcWork), Scale());
  ::SetWindowPos(window_.get(), nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  ::ShowWindow(window_.get(), SW_SHOW);
  ::UpdateWindow(window_.get());
}

void Form1::CheckConverterSoon() {
  ::PostMessageW(window_.get(), kCheckConverter, 0, 0);
}

void Form1::OpenFiles(const std::vector<std::string>& paths) {
  // While a box of the window's is open the window is disabled, and the box stays in front.
  if (::IsWindowEnabled(window_.get())) ::SetForegroundWindow(window_.get());
  // Handed over together, or by starts in quick succession, they are one batch.
  ShowingFailures(desktop_, workflow_.deliverable().shortName,
                  [&] { workflow_.HandOverFiles(paths); });
}

void Form1::ShowMenu(POINT screenPoint) {
  // mnu1 from the menu table; an entry's identifier is its place in the table, from 1.
  const std::span<const MenuEntry> entries = PopupMenuEntries();
  const ScopedMenu menu(::CreatePopupMenu());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const MenuEntry& entry = entries[i];
    if (IsSeparator(entry)) {
      ::AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
      continue;
    }
    const bool available = IsAvailable(entry, workflow_.Running());
    ::AppendMenuW(menu.get(), MF_STRING | (available ? MF_ENABLED : MF_GRAYED), i + 1,
                  ToWide(entry.caption).c_str());
  }
  // The window must be in the foreground, or the menu would not close when the user clicks
  // elsewhere.
  ::SetForegroundWindow(window_.get());
  const int chosen = ::TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, screenPoint.x,
                                      screenPoint.y, 0, window_.get(), nullptr);
  ::PostMessageW(window_.get(), WM_NULL, 0, 0);
  if (chosen > 0 && static_cast<std::size_t>(chosen) <= entries.size()) {
    RunCommand(entries[static_cast<std::size_t>(chosen) - 1].command);
  }
}

void Form1::ShowMenuFromKeyboard() {
  RECT client{};
  ::GetClientRect(window_.get(), &client);
  POINT middle{(client.left + client.right) / 2, (client.top + client.bottom) / 2};
  ::ClientToScreen(window_.get(), &middle);
  ShowMenu(middle);
}

void Form1::RunCommand(WindowCommand command) {
  ShowingFailures(desktop_, workflow_.deliverable().shortName,
                  [&] { RunWindowCommand(command, workflow_, *this); });
}

void Form1::OpenOptionsDialog() {
  ShowOptionsDialog(workflow_.deliverable().optionsForm, workflow_.settingsFile(), desktop_,
                    ModuleOf(pictures_), pictures_.optionsPicture);
}

void Form1::RequestClose() {
  // Asks the system to unload the window, which asks whether to quit.
  ::SendMessageW(window_.get(), WM_CLOSE, 0, 0);
}

std::vector<std::string> Form1::ChoosePdfs() {
  // The filter is two texts in one buffer, each ended by a zero, the whole by another zero.
  const std::wstring pattern = ToWide(kChoosePdfPattern);
  std::wstring filter = ToWide(kChoosePdfFilter) + L" (" + pattern + L")";
  filter += L'\0';
  filter += pattern;
  filter += L'\0';
  const std::wstring title = ToWide(kChoosePdfTitle);
  std::wstring chosen(32768, L'\0');
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = window_.get();
  dialog.lpstrFilter = filter.c_str();
  dialog.lpstrFile = chosen.data();
  dialog.nMaxFile = static_cast<DWORD>(chosen.size());
  dialog.lpstrTitle = title.c_str();
  // The system remembers the folder of the last choice for the next one.
  dialog.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER |
                 OFN_ALLOWMULTISELECT;
  if (!::GetOpenFileNameW(&dialog)) return {};
  // One file: its full path. Several: the folder, then each name, each ended by a zero, the
  // whole by another zero.
  std::vector<std::wstring> parts;
  for (const wchar_t* part = chosen.c_str(); *part != L'\0'; part += std::wcslen(part) + 1) {
    parts.emplace_back(part);
  }
  if (parts.empty()) return {};
  if (parts.size() == 1) return {FromWide(parts.front())};
  std::wstring folder = parts.front();
  if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
  std::vector<std::string> paths;
  for (size_t i = 1; i < parts.size(); ++i) paths.push_back(FromWide(folder + parts[i]));
  return paths;
}

bool Form1::QueryUnload() {
  // A Yes ends the program inside FormQueryUnload; whatever returns here keeps the window.
  bool cancel = true;
  ShowingFailures(desktop_, workflow_.deliverable().shortName,
                  [this, &cancel] { cancel = workflow_.FormQueryUnload(); });
  return cancel;
}

void Form1::ShowProgress(const RunProgress& progress) {
  if (Sweeps(progress)) {
    ::SetTimer(window_.get(), kSweepTimer, kSweepMilliseconds, nullptr);
  } else {
    ::KillTimer(window_.get(), kSweepTimer);
  }
  ShowWindowTexts(progress);
  const RECT bar = progressBarRect();
  ::InvalidateRect(window_.get(), &bar, FALSE);
}

void Form1::Paint(HDC dc, const RECT& client) {
  // Drawn off screen first, so that the bar never flickers over the picture.
  const int width = client.right - client.left;
  const int height = client.bottom - client.top;
  ScopedMemoryDC buffer(::CreateCompatibleDC(dc));
  ScopedBitmap surface(::CreateCompatibleBitmap(dc, width, height));
  {
    ScopedSelection target(buffer.get(), surface.get());
    ScopedMemoryDC pictureDC(::CreateCompatibleDC(dc));
    {
      ScopedSelection source(pictureDC.get(), picture_.get());
      ::BitBlt(buffer.get(), 0, 0, width, height, pictureDC.get(), 0, 0, SRCCOPY);
    }
    ::SetBkMode(buffer.get(), TRANSPARENT);
    for (std::size_t i = 0; i < view_.labels.size(); ++i) {
      const LabelView& label = view_.labels[i];
      if (label.design.text.empty() || i >= labelFonts_.size()) continue;
      ScopedSelection font(buffer.get(), labelFonts_[i].get());
      RECT rect = ToRect(label.place);
      const std::wstring text = ToWide(label.design.text);
      ::DrawTextW(buffer.get(), text.c_str(), static_cast<int>(text.size()), &rect,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    if (workflow_.Running() && !view_.progressBar.empty()) PaintProgress(buffer.get());
    ::BitBlt(dc, 0, 0, width, height, buffer.get(), 0, 0, SRCCOPY);
  }
}

void Form1::PaintProgress(HDC dc) {
  const ProgressPaint paint = PaintOfProgress(view_, workflow_.Progress(), progressTick_);
  const ProgressBarLook& look = kProgressBarLook;
  const RECT bar = ToRect(paint.bar);
  const RECT filled = ToRect(paint.filled);
  ScopedBrush frame(::CreateSolidBrush(ToColorRef(look.frame)));
  ScopedBrush field(::CreateSolidBrush(ToColorRef(look.field)));
  ScopedBrush done(::CreateSolidBrush(ToColorRef(look.done)));
  ::FillRect(dc, &bar, field.get());
  ::FrameRect(dc, &bar, frame.get());
  ::FillRect(dc, &filled, done.get());
  if (paint.count.empty()) return;

  const std::wstring count = ToWide(paint.count);
  const ScopedFont font = CreateInterfaceFont(paint.fontPixelSize, true);
  ScopedSelection selectedFont(dc, font.get());
  RECT textArea = ToRect(paint.textArea);
  const auto write = [&](const Rgb& colour) {
    ::SetTextColor(dc, ToColorRef(colour));
    ::DrawTextW(dc, count.c_str(), static_cast<int>(count.size()), &textArea,
                DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  };
  const int saved = ::SaveDC(dc);
  ::IntersectClipRect(dc, textArea.left, textArea.top, textArea.right, textArea.bottom);
  ::ExcludeClipRect(dc, filled.left, filled.top, filled.right, filled.bottom);
  write(look.textOnField);
  ::RestoreDC(dc, saved);
  const int savedAgain = ::SaveDC(dc);
  ::IntersectClipRect(dc, filled.left, filled.top, filled.right, filled.bottom);
  write(look.textOnDone);
  ::RestoreDC(dc, savedAgain);
}

LRESULT Form1::OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      ScopedPaint paint(window_.get());
      RECT client{};
      ::GetClientRect(window_.get(), &client);
      Paint(paint.get(), client);
      return 0;
    }
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT && desktop_.ShowsBusyPointer()) {
        ::SetCursor(SystemCursor(IDC_WAIT));
        return TRUE;
      }
      break;
    case WM_LBUTTONDOWN: {
      // The close spot takes the left button's presses: a double click there asks to quit, a
      // single one does nothing. Anywhere else the press moves the window.
      const POINT at = PointOf(lParam);
      if (CommandLabelAt(view_, at.x, at.y) == nullptr) DragForm(window_.get());
      return 0;
    }
    case WM_MBUTTONDOWN:
    case WM_XBUTTONDOWN:
      // Every button but the right one moves the window.
      DragForm(window_.get(), message);
      return message == WM_XBUTTONDOWN ? TRUE : 0;
    case WM_LBUTTONDBLCLK: {
      const POINT at = PointOf(lParam);
      if (const LabelView* spot = CommandLabelAt(view_, at.x, at.y)) {
        RunCommand(spot->design.doubleClick);
      }
      return 0;
    }
    case WM_RBUTTONDOWN: {
      POINT at = PointOf(lParam);
      ::ClientToScreen(window_.get(), &at);
      // The chosen entry's handler runs before this handler returns.
      ShowMenu(at);
      return 0;
    }
    case WM_CONTEXTMENU:
      // The context-menu key and Shift+F10 arrive here without a point (-1); the right button's
      // press has shown the menu already.
      if (lParam == -1) ShowMenuFromKeyboard();
      return 0;
    case WM_TIMER:
      if (wParam == kSweepTimer) {
        progressTick_ += kSweepStep;
        const RECT bar = progressBarRect();
        ::InvalidateRect(window_.get(), &bar, FALSE);
        return 0;
      }
      break;
    case WM_DPICHANGED:
      dpi_ = AcceptDpiChange(window_.get(), wParam, lParam);
      ApplyPicture();
      PlaceToolTips();
      return 0;
    case kCheckConverter:
      ShowingFailures(desktop_, workflow_.deliverable().shortName,
                      [this] { workflow_.CheckConverter(); });
      return 0;
    case WM_CLOSE:
      QueryUnload();
      return 0;
    case WM_QUERYENDSESSION:
      return QueryUnload() ? FALSE : TRUE;
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  // The messages of the window's creation come before window_ holds it.
  return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace droplet
