// The Win32 options dialog: what it loads, shows and saves, its controls' places, tab order and
// inactive boxes, one instance, and its move by the free surface.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "common/text_win32.h"
#include "settings/options_dialog_win32.h"
#include "support/scripted_desktop.h"
#include "support/temp_folder.h"
#include "support/win32_support.h"
#include "test_pictures_win32.h"

namespace droplet::testing {
namespace {

using std::chrono::milliseconds;

class OptionsWin32Test : public ::testing::Test {
 protected:
  ~OptionsWin32Test() override {
    if (CurrentOptionsDialog() != nullptr) ::DestroyWindow(CurrentOptionsDialog());
  }

  HWND Open(const OptionsForm& form, int picture = TEST_ORVANE_OPTIONS) {
    ShowOptionsDialog(form, settings_, desktop_, ::GetModuleHandleW(nullptr), picture);
    PumpFor(milliseconds(200));
    return CurrentOptionsDialog();
  }
  static LRESULT Check(const char* name) {
    return ::SendMessageW(OptionsControlWindow(name), BM_GETCHECK, 0, 0);
  }
  static std::string Text(const char* name) {
    wchar_t text[64] = {};
    ::GetWindowTextW(OptionsControlWindow(name), text, 64);
    return FromWide(text);
  }
  static void Click(const char* name) {
    ::SendMessageW(OptionsControlWindow(name), BM_CLICK, 0, 0);
    PumpFor(milliseconds(50));
  }

  TempFolder folder_;
  SettingsFile settings_{folder_ / "Orvane.INI", folder_ / "Orvane.ini"};
  ScriptedDesktop desktop_;
};

TEST_F(OptionsWin32Test, LoadsShowsAndSavesTheSettings) {
  HWND dialog = Open(OrvaneOptionsForm());
  ASSERT_NE(dialog, nullptr);
  wchar_t title[64] = {};
  ::GetWindowTextW(dialog, title, 64);
  EXPECT_EQ(FromWide(title), "Opzioni");
  EXPECT_FALSE(::GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST);
  // The keyboard starts at the first control of the tab order.
  EXPECT_EQ(::GetFocus(), OptionsControlWindow("ckFolder"));
  EXPECT_EQ(Check("ckFolder"), BST_CHECKED);
  EXPECT_EQ(Check("ckRun"), BST_UNCHECKED);
  EXPECT_EQ(Text("txtPagStart"), "1");
  Click("Command2");  // "Annulla"
  EXPECT_EQ(CurrentOptionsDialog(), nullptr);
  EXPECT_EQ(NamesIn(folder_.path()), std::vector<std::string>{}) << "nothing written";

  WriteFile(folder_.path() / "Orvane.INI",
            "[Folders]\r\nopen=2\r\nrun=1\r\n[Range]\r\nActive=0\r\nStart=abc\r\nEnd=\r\n");
  dialog = Open(OrvaneOptionsForm());
  EXPECT_EQ(Check("ckFolder"), BST_INDETERMINATE);
  EXPECT_EQ(Check("ckRun"), BST_CHECKED);
  EXPECT_EQ(Text("txtPagStart"), "abc");
  // Clicks tick or clear, never grey.
  Click("ckFolder");
  EXPECT_EQ(Check("ckFolder"), BST_CHECKED);
  Click("ckFolder");
  EXPECT_EQ(Check("ckFolder"), BST_UNCHECKED);
  Click("ckFolder");
  EXPECT_EQ(Check("ckFolder"), BST_CHECKED);
  // One instance: asked again, the open dialog comes forward with its edits.
  ::SetWindowTextW(OptionsControlWindow("txtPagEnd"), L"7");
  EXPECT_EQ(Open(OrvaneOptionsForm()), dialog);
  EXPECT_EQ(Text("txtPagEnd"), "7");

  Click("Command1");  // "Salva"
  EXPECT_EQ(CurrentOptionsDialog(), nullptr);
  const std::string saved = ReadFile(folder_.path() / "Orvane.INI");
  for (const char* line : {"open=1", "run=1", "Active=0", "Start=abc", "End=7"}) {
    EXPECT_NE(saved.find(line), std::string::npos) << line << " in " << saved;
  }

  // Esc, from whichever control has the keyboard, closes the dialog without saving.
  Open(OrvaneOptionsForm());
  ::SetWindowTextW(OptionsControlWindow("txtPagEnd"), L"9");
  ::SetFocus(OptionsControlWindow("txtPagEnd"));
  PressKey(VK_ESCAPE);
  EXPECT_TRUE(PumpUntil([] { return CurrentOptionsDialog() == nullptr; }, milliseconds(2000)));
  EXPECT_EQ(ReadFile(folder_.path() / "Orvane.INI"), saved);
}

// A page box the run will not follow carries the reason in its tool tip and shows the fault
// tint, from the keystroke that made it so until the range no longer applies.
TEST_F(OptionsWin32Test, PageBoxTheRunWillNotFollowIsMarked) {
  ASSERT_NE(Open(OrvaneOptionsForm()), nullptr);
  const HWND start = OptionsControlWindow("txtPagStart");
  RECT box{};
  ::GetWindowRect(start, &box);
  const POINT blank{box.right - 6, (box.top + box.bottom) / 2};  // right of the text
  const auto tinted = [&] { return ScreenPixel(blank) == 0xFFD6D6; };
  Click("ckRangePag");
  ::SetFocus(start);
  ::SendMessageW(start, EM_SETSEL, 0, -1);
  PressKey('X');
  PumpFor(milliseconds(100));
  EXPECT_EQ(Text("txtPagStart"), "x");
  EXPECT_EQ(OptionsControlTip("txtPagStart"),
            "Intervallo di pagine non valido: la pagina iniziale (\"x\") non è un numero intero "
            "da 1 in su. Si convertono tutte le pagine.");
  EXPECT_TRUE(tinted());
  EXPECT_EQ(OptionsControlTip("txtPagEnd"), "");

  Click("ckRangePag");  // the range no longer applies
  PumpFor(milliseconds(100));
  EXPECT_EQ(OptionsControlTip("txtPagStart"), "");
  EXPECT_FALSE(tinted());
}

TEST_F(OptionsWin32Test, TessikControlsLieAtTheirPlacesInTabOrder) {
  const OptionsForm form = TessikOptionsForm({0, 0, 9});
  const HWND dialog = Open(form, TEST_TESSIK_OPTIONS);
  ASSERT_NE(dialog, nullptr);
  wchar_t title[128] = {};
  ::GetWindowTextW(dialog, title, 128);
  EXPECT_EQ(FromWide(title), LoadedTitle(form, "main_window_win32_test"));
  RECT client{};
  ::GetClientRect(dialog, &client);
  EXPECT_EQ(client.right, 3855 / 15);
  EXPECT_EQ(client.bottom, 3705 / 15);
  RECT save{};
  ::GetWindowRect(OptionsControlWindow("Command1"), &save);
  ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&save), 2);
  EXPECT_EQ(save.left, 2625 / 15);
  EXPECT_EQ(save.top, 3015 / 15);
  EXPECT_EQ(save.right - save.left, 1065 / 15);
  EXPECT_FALSE(::IsWindowEnabled(OptionsControlWindow("Check1")));
  EXPECT_FALSE(::IsWindowEnabled(OptionsControlWindow("ckRangePag")));
  EXPECT_TRUE(::IsWindowEnabled(OptionsControlWindow("txtPagStart")));

  // Tab goes through the active controls in the design's order.
  std::vector<HWND> order = {OptionsControlWindow("ckFolder")};
  for (int i = 0; i < 6; ++i) order.push_back(::GetNextDlgTabItem(dialog, order.back(), FALSE));
  EXPECT_EQ(order, (std::vector<HWND>{
                       OptionsControlWindow("ckFolder"), OptionsControlWindow("ckRun"),
                       OptionsControlWindow("Command1"), OptionsControlWindow("Command2"),
                       OptionsControlWindow("txtPagStart"), OptionsControlWindow("txtPagEnd"),
                       OptionsControlWindow("ckFolder")}));

  // A press of any button on the free surface moves the dialog.
  for (const DWORD button : {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_MIDDLEDOWN}) {
    SCOPED_TRACE(button);
    RECT before{};
    ::GetWindowRect(dialog, &before);
    POINT free{5, 140};
    ::ClientToScreen(dialog, &free);
    MoveMouse(free);
    std::thread mouse = DragMouseInSteps(free, POINT{6, 4}, button);
    PumpFor(milliseconds(800));
    mouse.join();
    PumpFor(milliseconds(100));
    RECT after{};
    ::GetWindowRect(dialog, &after);
    EXPECT_EQ(after.left - before.left, 30);
    EXPECT_EQ(after.top - before.top, 20);
  }
}

}  // namespace
}  // namespace droplet::testing
