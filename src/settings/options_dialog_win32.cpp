#include "settings/options_dialog_win32.h"

#include <commctrl.h>

#include <algorithm>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <utility>
#include <vector>

#include "common/platform_win32.h"
#include "common/scoped_win32.h"
#include "common/text_win32.h"
#include "shell/shaped_window_win32.h"
#include "shell/window_helpers_win32.h"

namespace droplet {

namespace {

constexpr wchar_t kDialogClass[] = L"DropletFrmOption";
constexpr int kTipWidthTwips = 4500;  // a tip wider than this wraps its sentence

COLORREF ColourOf(const Rgb& colour) {
  return RGB(colour.red, colour.green, colour.blue);
}

std::string ProgramFileStem() {
  std::string name = ProgramFilePath();
  name = name.substr(name.find_last_of("\\/") + 1);
  const auto dot = name.find_last_of('.');
  if (dot != std::string::npos) name.resize(dot);
  return name;
}

bool IsWindowControl(FormControlKind kind) {
  return kind == FormControlKind::kCheckBox || kind == FormControlKind::kTextBox ||
         kind == FormControlKind::kButton;
}

class FrmOption;
FrmOption* g_instance = nullptr;

// frmOption: the check boxes, text boxes and buttons are windows of their own; the picture, the
// shapes and the labels, which react to no click, are drawn on the dialog's surface in the
// design's order. A press anywhere else on the surface moves the dialog.
class FrmOption {
 public:
  FrmOption(OptionsForm form, SettingsFile settings, DesktopServices& desktop, HINSTANCE module,
            int pictureId)
      : form_(std::move(form)),
        store_(std::move(settings), desktop),
        faultBrush_(::CreateSolidBrush(ColourOf(kFaultBackground))) {
    original_.reset(static_cast<HBITMAP>(::LoadImageW(module, MAKEINTRESOURCEW(pictureId),
                                                      IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    WindowSpec windowSpec;
    windowSpec.className = kDialogClass;
    windowSpec.exStyle = WS_EX_CONTROLPARENT;
    windowSpec.title = ToWide(form_.title);
    windowSpec.style = kStyle;
    windowSpec.left = CW_USEDEFAULT;
    windowSpec.top = CW_USEDEFAULT;
    windowSpec.width = 100;
    windowSpec.height = 100;
    windowSpec.look.cursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // the arrow
    windowSpec.look.background = ::GetSysColorBrush(COLOR_BTNFACE);
    window_ = OwnedWindows::Create(*this, windowSpec);
    dpi_ = std::max(96u, ::GetDpiForWindow(window_));
    CreateControls();
    Layout();
    PlaceOnWorkArea();
    FormLoad();
  }

  HWND hwnd() const { return window_; }
  RECT PlaceOf(const std::string& name) const {
    const auto found = places_.find(name);
    return found != places_.end() ? found->second : RECT{};
  }
  HWND WindowOf(const std::string& name) const {
    const auto found = windows_.find(name);
    return found != windows_.end() ? found->second : nullptr;
  }
  std::string TipOf(const std::string& name) const {
    wchar_t text[1024] = {};
    TOOLINFOW info = ToolOf(WindowOf(name));
    info.lpszText = text;
    ::SendMessageW(toolTip_, TTM_GETTEXTW, std::size(text), reinterpret_cast<LPARAM>(&info));
    return FromWide(text);
  }

 private:
  friend class droplet::OwnedWindows;
  static constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

  double Scale() const { return dpi_ / 96.0; }
  int Px(int twips) const { return TwipsToPixels(twips, Scale()); }
  RECT Pixels(const TwipsRect& place) const { return ToRect(TwipsToPixels(place, Scale())); }

  HFONT FontFor(const FormFont& font) {
    const std::string key = font.face + "|" + std::to_string(font.points) + "|" +
                            (font.bold ? "b" : "") + "|" + std::to_string(dpi_);
    auto found = fonts_.find(key);
    if (found == fonts_.end()) {
      const double points = font.points > 0 ? font.points : 8.0;
      const int height = static_cast<int>(points * dpi_ / 72.0 + 0.5);
      found = fonts_.emplace(key, CreateInterfaceFont(height, font.bold, font.face)).first;
    }
    return found->second.get();
  }

  void CreateControls() {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    for (const FormControl& control : form_.controls) {
      if (!IsWindowControl(control.kind)) continue;
      const wchar_t* windowClass = L"BUTTON";
      DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
      DWORD exStyle = 0;
      switch (control.kind) {
        case FormControlKind::kCheckBox:
          // Three states shown; clicks only tick or clear (see WM_COMMAND).
          style |= BS_3STATE;
          break;
        case FormControlKind::kTextBox:
          windowClass = L"EDIT";
          style |= ES_AUTOHSCROLL;
          exStyle = WS_EX_CLIENTEDGE;
          break;
        default:
          style |= BS_PUSHBUTTON;
          break;
      }
      // The dialog tells its controls by their windows: they need no identifiers.
      const HWND window = ::CreateWindowExW(exStyle, windowClass, ToWide(control.caption).c_str(),
                                            style, 0, 0, 0, 0, window_, nullptr, instance, nullptr);
      ::EnableWindow(window, control.enabled ? TRUE : FALSE);
      windows_[control.name] = window;
      if (control.kind == FormControlKind::kButton) actions_[window] = control.action;
      if (control.kind == FormControlKind::kCheckBox) checkBoxes_.push_back(window);
    }
    AddTools();
    // The tab order is the order of the windows: each one goes after the one before it.
    HWND previous = HWND_TOP;
    for (const FormControl* control : TabOrder(form_)) {
      const HWND window = WindowOf(control->name);
      if (window == nullptr) continue;
      ::SetWindowPos(window, previous, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      previous = window;
    }
  }

  // One tool per control that shows a setting, its text empty until the control has a notice.
  // On Windows a control's tool tip is also what assistive technologies read as its
  // description.
  void AddTools() {
    toolTip_ = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                 WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr,
                                 ::GetModuleHandleW(nullptr), nullptr);
    wchar_t none[] = L"";
    for (const FormSetting& setting : FormSettings()) {
      TOOLINFOW info = ToolOf(WindowOf(std::string(setting.control)));
      info.uFlags |= TTF_SUBCLASS;
      info.lpszText = none;
      ::SendMessageW(toolTip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    }
  }

  TOOLINFOW ToolOf(HWND control) const {
    TOOLINFOW info{};
    info.cbSize = sizeof info;
    info.uFlags = TTF_IDISHWND;
    info.hwnd = window_;
    info.uId = reinterpret_cast<UINT_PTR>(control);
    return info;
  }

  // Places and letters every control at the window's DPI.
  void Layout() {
    RECT outer{0, 0, Px(form_.clientWidth), Px(form_.clientHeight)};
    ::AdjustWindowRectExForDpi(&outer, kStyle, FALSE, WS_EX_CONTROLPARENT, dpi_);
    ::SetWindowPos(window_, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    picture_.reset(original_ ? ScalePicture(original_.get(), static_cast<int>(dpi_), 96) : nullptr);
    places_.clear();
    for (const FormControl& control : form_.controls) {
      RECT place = Pixels(control.place);
      const HWND window = WindowOf(control.name);
      if (window != nullptr) {
        const HFONT font = FontFor(control.font);
        ::SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        if (control.kind == FormControlKind::kCheckBox) place = CheckBoxPlace(place, font);
      }
      places_[control.name] = place;
    }
    PlaceSplitCaptions();
    ::SendMessageW(toolTip_, TTM_SETMAXTIPWIDTH, 0, Px(kTipWidthTwips));
    for (const auto& [name, window] : windows_) {
      const RECT& place = places_[name];
      ::SetWindowPos(window, nullptr, place.left, place.top, place.right - place.left,
                     place.bottom - place.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    ::InvalidateRect(window_, nullptr, TRUE);
  }

  // A check box keeps the design's place but only the height its caption needs, centred there,
  // so that boxes designed to overlap a little neither hide nor paint over each other's text.
  RECT CheckBoxPlace(RECT place, HFONT font) const {
    TEXTMETRICW metrics{};
    {
      ScopedWindowDC dc(window_);
      ScopedSelection selected(dc.get(), font);
      ::GetTextMetricsW(dc.get(), &metrics);
    }
    const int needed = metrics.tmHeight + ScalePixels(6, Scale());
    const int height = std::min<int>(place.bottom - place.top, needed);
    const int top = (place.top + place.bottom - height) / 2;
    return RECT{place.left, top, place.right, top + height};
  }

  // A check box whose caption is split around a text box on its line ends where that box
  // begins; the caption's tail is written at its own place, on the check box's line.
  void PlaceSplitCaptions() {
    for (const FormControl& box : form_.controls) {
      if (!box.splitCaption) continue;
      const SplitCaption& split = *box.splitCaption;
      RECT& place = places_[box.name];
      place.right = Px(split.headEnd);
      RECT tail = Pixels(split.tailPlace);
      tail.top = place.top;
      tail.bottom = place.bottom;
      HWND& window = tails_[box.name];
      if (window == nullptr) {
        window = ::CreateWindowExW(0, L"STATIC", ToWide(split.tail).c_str(),
                                   WS_CHILD | WS_VISIBLE | SS_LEFT | SS_CENTERIMAGE, 0, 0, 0, 0,
                                   window_, nullptr, ::GetModuleHandleW(nullptr), nullptr);
        ::EnableWindow(window, box.enabled ? TRUE : FALSE);
      }
      ::SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(box.font)), FALSE);
      ::SetWindowPos(window, HWND_BOTTOM, tail.left, tail.top, tail.right - tail.left,
                     tail.bottom - tail.top, SWP_NOACTIVATE);
    }
  }

  void PlaceOnWorkArea() {
    RECT work{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    RECT outer{};
    ::GetWindowRect(window_, &outer);
    const int width = outer.right - outer.left;
    const int height = outer.bottom - outer.top;
    ::SetWindowPos(window_, nullptr, work.left + (work.right - work.left - width) / 2,
                   work.top + (work.bottom - work.top - height) / 2, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

  // Form_Load: the dialog has no background picture of its own, so it is not shaped.
  void FormLoad() {
    Show(LoadOptionsForm(store_));
    ShowNotices();
    ::SetWindowTextW(window_, ToWide(LoadedTitle(form_, ProgramFileStem())).c_str());
  }

  void Show(const OptionsFormState& state) {
    for (const FormSetting& setting : FormSettings()) {
      const HWND window = WindowOf(std::string(setting.control));
      if (setting.check != nullptr) {
        const int value = state.*setting.check;
        ::SendMessageW(window, BM_SETCHECK,
                       value == kCheckTicked   ? BST_CHECKED
                       : value == kCheckGreyed ? BST_INDETERMINATE
                                               : BST_UNCHECKED,
                       0);
      } else {
        ::SetWindowTextW(window, ToWide(state.*setting.text).c_str());
      }
    }
  }

  OptionsFormState Shown() const {
    OptionsFormState state;
    for (const FormSetting& setting : FormSettings()) {
      const HWND window = WindowOf(std::string(setting.control));
      if (setting.check != nullptr) {
        const LRESULT check = ::SendMessageW(window, BM_GETCHECK, 0, 0);
        state.*setting.check = check == BST_CHECKED         ? kCheckTicked
                               : check == BST_INDETERMINATE ? kCheckGreyed
                                                            : kCheckClear;
      } else {
        std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
        text.resize(static_cast<size_t>(
            ::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
        state.*setting.text = FromWide(text);
      }
    }
    return state;
  }

  // What the values shown now mean for the next run, on the controls that show them: the tool's
  // text, and a tinted background where the run will not follow the value as shown.
  void ShowNotices() {
    const std::vector<ControlNotice> notices = FormNotices(form_, Shown(), store_.UnreadableFile());
    std::set<HWND> faulty;
    for (const FormSetting& setting : FormSettings()) {
      const HWND window = WindowOf(std::string(setting.control));
      const auto notice = std::find_if(
          notices.begin(), notices.end(),
          [&](const ControlNotice& candidate) { return candidate.control == setting.control; });
      std::wstring text = notice == notices.end() ? std::wstring() : ToWide(notice->text);
      TOOLINFOW info = ToolOf(window);
      info.lpszText = text.data();
      ::SendMessageW(toolTip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
      if (notice != notices.end() && notice->kind == NoticeKind::kFault) faulty.insert(window);
      // Repainted only when its tint changes, so typing in a box does not make it flicker.
      if (faulty.contains(window) != faulty_.contains(window)) {
        ::InvalidateRect(window, nullptr, TRUE);
      }
    }
    faulty_ = std::move(faulty);
  }

  // The colours of a control the dialog tints, or nothing to leave it as it is.
  std::optional<LRESULT> Tint(HDC dc, HWND control) const {
    if (!faulty_.contains(control)) return std::nullopt;
    ::SetBkColor(dc, ColourOf(kFaultBackground));
    return reinterpret_cast<LRESULT>(faultBrush_.get());
  }

  // Command1_Click ("Salva") writes the shown values, then the dialog goes; Command2_Click
  // ("Annulla") only closes it.
  void ButtonClick(FormButtonAction action) {
    switch (action) {
      case FormButtonAction::kSave:
        SaveOptionsForm(Shown(), store_);
        ::DestroyWindow(window_);
        return;
      case FormButtonAction::kCancel:
        ::DestroyWindow(window_);
        return;
      case FormButtonAction::kNone:
        return;
    }
  }

  // Whether `clientPoint` lies on a drawn control that takes its clicks (a picture or a label).
  bool OnDrawnControl(POINT clientPoint) const {
    for (const FormControl& control : form_.controls) {
      if (control.kind != FormControlKind::kPicture && control.kind != FormControlKind::kLabel) {
        continue;
      }
      const RECT place = PlaceOf(control.name);
      if (::PtInRect(&place, clientPoint)) return true;
    }
    return false;
  }

  void Paint(HDC dc) {
    ::SetBkMode(dc, TRANSPARENT);
    for (const FormControl& control : form_.controls) {
      const RECT place = PlaceOf(control.name);
      switch (control.kind) {
        case FormControlKind::kShape: {
          ScopedBrush frame(::CreateSolidBrush(::GetSysColor(COLOR_BTNSHADOW)));
          ::FrameRect(dc, &place, frame.get());
          break;
        }
        case FormControlKind::kPicture: {
          if (!picture_) break;
          ScopedMemoryDC source(::CreateCompatibleDC(dc));
          ScopedSelection selected(source.get(), picture_.get());
          const SIZE size = BitmapSize(picture_.get());
          ::BitBlt(dc, place.left, place.top, std::min<int>(size.cx, place.right - place.left),
                   std::min<int>(size.cy, place.bottom - place.top), source.get(), 0, 0, SRCCOPY);
          break;
        }
        case FormControlKind::kLabel: {
          ScopedSelection font(dc, FontFor(control.font));
          const Rgb colour = control.textColour.value_or(Rgb{0, 0, 0});
          ::SetTextColor(dc, RGB(colour.red, colour.green, colour.blue));
          RECT rect = place;
          const std::wstring text = ToWide(control.caption);
          ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect,
                      DT_LEFT | DT_TOP | DT_WORDBREAK | DT_NOPREFIX);
          break;
        }
        default:
          break;
      }
    }
  }

  LRESULT OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case WM_PAINT: {
        ScopedPaint paint(window_);
        Paint(paint.get());
        return 0;
      }
      case WM_CTLCOLOREDIT:
        if (const auto tint = Tint(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam))) {
          return *tint;
        }
        break;
      case WM_CTLCOLORSTATIC:
        // Also asked by a check box and by an inactive text box.
        if (const auto tint = Tint(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam))) {
          return *tint;
        }
        ::SetBkColor(reinterpret_cast<HDC>(wParam), ::GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
      case WM_COMMAND: {
        const auto control = reinterpret_cast<HWND>(lParam);
        // Esc, as the message loop's IsDialogMessage passes it on: closed, nothing written.
        if (control == nullptr && LOWORD(wParam) == IDCANCEL) {
          ::DestroyWindow(window_);
          return 0;
        }
        if (control == nullptr) break;
        if (HIWORD(wParam) == EN_CHANGE) {
          ShowNotices();
          return 0;
        }
        if (HIWORD(wParam) != BN_CLICKED) break;
        if (std::find(checkBoxes_.begin(), checkBoxes_.end(), control) != checkBoxes_.end()) {
          // A click ticks a clear or greyed box and clears a ticked one: never greyed.
          const bool ticked = ::SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
          ::SendMessageW(control, BM_SETCHECK, ticked ? BST_UNCHECKED : BST_CHECKED, 0);
          ShowNotices();
          return 0;
        }
        if (const auto action = actions_.find(control); action != actions_.end()) {
          ButtonClick(action->second);
          return 0;
        }
        break;
      }
      case WM_LBUTTONDOWN:
      case WM_RBUTTONDOWN:
      case WM_MBUTTONDOWN:
      case WM_XBUTTONDOWN: {
        // Form_MouseDown: a press of any button on the free surface (the shape included) moves
        // the dialog.
        const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        if (!OnDrawnControl(at)) DragForm(window_, message);
        return message == WM_XBUTTONDOWN ? TRUE : 0;
      }
      case WM_ACTIVATE:
        // As in a dialog, the keyboard comes back to the control that had it.
        if (LOWORD(wParam) == WA_INACTIVE) {
          const HWND focus = ::GetFocus();
          if (focus != nullptr && ::IsChild(window_, focus)) focus_ = focus;
        }
        break;
      case WM_SETFOCUS:
        // The keyboard goes on to a control: the one that had it, at first the first control of
        // the tab order.
        ::SetFocus(focus_ != nullptr ? focus_ : ::GetNextDlgTabItem(window_, nullptr, FALSE));
        return 0;
      case WM_DPICHANGED:
        dpi_ = AcceptDpiChange(window_, wParam, lParam);
        Layout();
        return 0;
      case WM_CLOSE:
        // Closed by any other means than its buttons, it writes nothing.
        ::DestroyWindow(window_);
        return 0;
      case WM_NCDESTROY:
        // The dialog's last message: the object goes with its window.
        if (g_instance == this) g_instance = nullptr;
        delete this;
        return ::DefWindowProcW(window, message, wParam, lParam);
      default:
        break;
    }
    // The messages of the window's creation come before window_ holds it.
    return ::DefWindowProcW(window, message, wParam, lParam);
  }

  const OptionsForm form_;
  IniSettingsStore store_;
  HWND window_ = nullptr;
  HWND toolTip_ = nullptr;  // owned by the dialog, so it goes with it
  HWND focus_ = nullptr;    // the control that had the keyboard when the dialog was left
  UINT dpi_ = 96;
  ScopedBitmap original_;
  ScopedBitmap picture_;
  std::map<std::string, ScopedFont> fonts_;
  std::map<std::string, HWND> windows_;
  std::map<std::string, RECT> places_;
  std::map<std::string, HWND> tails_;
  std::map<HWND, FormButtonAction> actions_;
  std::vector<HWND> checkBoxes_;
  ScopedBrush faultBrush_;
  std::set<HWND> faulty_;  // the controls shown with kFaultBackground
};

}  // namespace

void ShowOptionsDialog(const OptionsForm& form, const SettingsFile& settings,
                       DesktopServices& desktop, HINSTANCE module, int pictureId) {
  if (g_instance == nullptr) {
    g_instance = new FrmOption(form, settings, desktop, module, pictureId);
    ::ShowWindow(g_instance->hwnd(), SW_SHOWNORMAL);
  } else if (::IsIconic(g_instance->hwnd())) {
    ::ShowWindow(g_instance->hwnd(), SW_RESTORE);
  }
  ::SetForegroundWindow(g_instance->hwnd());
  ::BringWindowToTop(g_instance->hwnd());
}

HWND CurrentOptionsDialog() {
  return g_instance != nullptr ? g_instance->hwnd() : nullptr;
}

RECT OptionsControlRect(const std::string& name) {
  return g_instance != nullptr ? g_instance->PlaceOf(name) : RECT{};
}

HWND OptionsControlWindow(const std::string& name) {
  return g_instance != nullptr ? g_instance->WindowOf(name) : nullptr;
}

std::string OptionsControlTip(const std::string& name) {
  return g_instance != nullptr ? g_instance->TipOf(name) : std::string();
}

}  // namespace droplet
