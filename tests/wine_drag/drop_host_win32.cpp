// The Win32 main window of one program, waiting under Wine for a real drag from another X11
// program; the Linux driver (wine_drag_driver.cpp) makes the drag and reads what happened.
//   drop_host.exe orvane|tessik PROGRAM_FOLDER CONVERTER_FOLDER CURRENT_FOLDER
// It prints "ready X Y" (a screen point over the picture) once its window shows, answers the
// boxes (Yes to the confirmation, OK, No to opening the result) and, once the drop's handling
// has ended, prints a line "box<TAB>TITLE<TAB>TEXT" per box, "opened<TAB>TARGET" per opening
// request and "done". Exit status 0, or 3 when no drop came within a minute.

#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "common/scoped_win32.h"
#include "common/text_win32.h"
#include "front_end/main_window_win32.h"
#include "support/recording_opener.h"
#include "support/win32_support.h"
#include "test_pictures_win32.h"

namespace {

using namespace droplet;
using namespace droplet::testing;

// Line breaks written as \r and \n, so that each box stays on one line.
std::string OneLine(const std::string& text) {
  std::string line;
  for (char c : text) {
    if (c == '\r') {
      line += "\\r";
    } else if (c == '\n') {
      line += "\\n";
    } else {
      line += c;
    }
  }
  return line;
}

void Print(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 5) return 2;
  const bool orvane = std::wstring(argv[1]) == L"orvane";
  const std::string programFolder = FromWide(argv[2]);
  const std::wstring converters = argv[3];
  ::SetCurrentDirectoryW(argv[4]);
  std::wstring path(32767, L'\0');
  path.resize(::GetEnvironmentVariableW(L"PATH", path.data(), 32767));
  ::SetEnvironmentVariableW(L"PATH", (converters + L";" + path).c_str());

  const ScopedOleInitialize ole;
  std::vector<RecordingOpener::Request> opened;
  Form1 form(
      orvane ? OrvaneDeliverable() : TessikDeliverable(), programFolder,
      Win32Pictures{::GetModuleHandleW(nullptr), orvane ? TEST_ORVANE_PICTURE : TEST_TESSIK_PICTURE,
                    orvane ? TEST_ORVANE_OPTIONS : TEST_TESSIK_OPTIONS},
      std::make_unique<RecordingOpener>(opened));
  ::SetWindowPos(form.hwnd(), nullptr, 700, 300, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  ::ShowWindow(form.hwnd(), SW_SHOW);
  ::UpdateWindow(form.hwnd());
  PumpFor(std::chrono::milliseconds(500));

  BoxAnswerer answerer;
  answerer.Answer(IDYES);
  answerer.Answer(IDOK);
  answerer.Answer(IDNO);
  const POINT at = OpaquePoint(form);
  Print("ready " + std::to_string(at.x) + " " + std::to_string(at.y));

  bool dropped = false;
  const bool ended = PumpUntil(
      [&] {
        dropped = dropped || form.workflow().Busy();
        return dropped && !form.workflow().Busy();
      },
      std::chrono::seconds(60));
  for (const SeenBox& box : answerer.boxes()) {
    Print("box\t" + OneLine(box.title) + "\t" + OneLine(box.text));
  }
  for (const RecordingOpener::Request& request : opened) Print("opened\t" + request.target);
  Print("done");
  return ended ? 0 : 3;
}
