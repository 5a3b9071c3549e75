#pragma once

// What the Win32 GUI tests do the way a user or another program would: answer message boxes,
// pick menu entries, read the screen, and hand over dragged files.

#include <ole2.h>
#include <windows.h>

#include <chrono>
#include <deque>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace droplet {
class Form1;
}

namespace droplet::testing {

// Runs the calling thread's messages until `done` is true or `timeout` has passed; returns
// `done()`. The open options dialog gets its keys as the program's message loop hands them.
bool PumpUntil(const std::function<bool()>& done,
               std::chrono::milliseconds timeout = std::chrono::seconds(10));
void PumpFor(std::chrono::milliseconds time);

// One message box as the tests saw it.
struct SeenBox {
  std::string title;
  std::string text;
  bool yesNo = false;  // Yes and No buttons, else OK alone
  RECT rect{};         // on the screen, when it was answered
  HWND owner = nullptr;
};

// The file name box of the system's open dialog (its combo box cmb13).
inline constexpr int kFileNameBox = 0x47c;

// Answers the message boxes of the calling thread from a thread timer, which their modal loops
// run: records each box, then presses the next scripted answer (IDYES, IDNO, IDOK); without a
// script Yes/No boxes get No, others OK. One answerer at a time on a thread.
class BoxAnswerer {
 public:
  BoxAnswerer();
  ~BoxAnswerer();
  BoxAnswerer(const BoxAnswerer&) = delete;
  BoxAnswerer& operator=(const BoxAnswerer&) = delete;

  void Answer(int button) { script_.push_back(button); }
  // Called with each box before it is answered.
  void OnBox(std::function<void(HWND box, SeenBox& seen)> check) { check_ = std::move(check); }
  const std::vector<SeenBox>& boxes() const { return boxes_; }
  std::vector<std::string> texts() const;

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
  void AnswerBoxes();

  UINT_PTR timer_ = 0;
  std::deque<int> script_;
  std::vector<SeenBox> boxes_;
  std::vector<HWND> answered_;
  std::function<void(HWND, SeenBox&)> check_;
};

// The visible message boxes (dialog class #32770) of another process, and their texts.
std::vector<HWND> MessageBoxesOf(DWORD processId);
SeenBox ReadBox(HWND box);
// Presses a box's button (IDYES, IDNO, IDOK), also in another process.
void PressBoxButton(HWND box, int button);

// Chooses, from a thread timer, the entry at `index` of the next pop-up menu of this thread
// that opens, with the mouse; records the menu's entries and where it showed. A menu that stays
// open after the click (a greyed entry) or with no entry to choose (-1) is closed with Escape.
class MenuChooser {
 public:
  explicit MenuChooser(int index);
  ~MenuChooser();
  MenuChooser(const MenuChooser&) = delete;
  MenuChooser& operator=(const MenuChooser&) = delete;

  // What the menu showed.
  struct Seen {
    bool shown = false;
    POINT at{};                         // its top-left corner on the screen
    std::vector<std::string> captions;  // "-" for a separator
    std::vector<bool> enabled;
  };
  const Seen& seen() const { return seen_; }

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
  void Choose();

  int index_;
  UINT_PTR timer_ = 0;
  Seen seen_;
  int ticksSinceClick_ = 0;
};

// Presses and releases a key as the user does (SendInput), with `modifier` (VK_SHIFT, ...) held
// down around it when one is given.
void PressKey(WORD key, WORD modifier = 0);

// Moves the mouse and presses buttons as the user does (SendInput), at screen pixels.
void MoveMouse(POINT at);
// From a thread of its own, so that the caller can serve its windows meanwhile: presses a button
// (MOUSEEVENTF_LEFTDOWN, ..._RIGHTDOWN, ..._MIDDLEDOWN) where the mouse is, moves it from `from`
// five times by `step` and releases it there.
std::thread DragMouseInSteps(POINT from, POINT step, DWORD buttonDown = MOUSEEVENTF_LEFTDOWN);
void ClickMouse(POINT at, bool rightButton = false, int clicks = 1);

// A screen pixel as the screen shows it (blue in the low byte, as a DIB's packed colour).
std::int32_t ScreenPixel(POINT at);

// A shown top-level window filled with one colour: something to shape, own boxes, or show
// through a shaped window.
class ColourWindow {
 public:
  ColourWindow(const RECT& place, COLORREF colour, DWORD style = WS_POPUP);
  ~ColourWindow();
  ColourWindow(const ColourWindow&) = delete;
  ColourWindow& operator=(const ColourWindow&) = delete;
  HWND hwnd() const { return window_; }

 private:
  HWND window_ = nullptr;
  HBRUSH brush_ = nullptr;
};

// A drag's data object holding a file list (CF_HDROP, wide paths) or, for `asText`, the first
// path as plain text only. Made through the clipboard, which it replaces.
IDataObject* MakeDataObject(const std::vector<std::string>& paths, bool asText = false);
// A CF_HDROP block with `paths` (UTF-8), as a drag source puts it in its data.
HGLOBAL MakeHDrop(const std::vector<std::string>& paths);

// Drags `data` over `target` and drops it there as OLE does: DragEnter, DragOver, then Drop
// when the effect allows it, otherwise DragLeave. Returns the effect the drop ended with.
DWORD DragAndDrop(IDropTarget& target, IDataObject& data, POINT at,
                  DWORD allowed = DROPEFFECT_COPY | DROPEFFECT_MOVE);

// A screen point over a wide run of the window's kept pixels a third of the way down its
// picture, away from what lies on the picture's lower part.
POINT OpaquePoint(const Form1& form);

// The path of a file of the test executable's folder (the program folder of the tests).
std::string BesideTests(const std::string& name);

}  // namespace droplet::testing
