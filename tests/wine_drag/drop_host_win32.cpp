// The Win32 main window of one program, waiting under Wine for a real drag from another X11
// program; the Linux driver (wine_drag_driver.cpp) makes the drag and reads what happened.
//   drop_host.exe orvane|tessik PROGRAM_FOLDER CONVERTER_FOLDER CURRENT_FOLDER
// It prints "ready X Y" (a screen point over the picture) once its window shows, answers the
// boxes (Yes to the confirmation, OK, No to opening the result) and, once the drop's handling
// has ended, prints a line "box<TAB>TITLE<TAB>TEXT" per box, "opened<TAB>TARGET" per opening
// request, "box-inside-drop" when a box showed before the drop handler returned, and "done".
// Exit status 0, or 3 when no drop came within a minute.

#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "common/scoped_win32.h"
#include "common/text_win32.h"
#include "front_end/main_window_win32.h"
#include "support/recording_opener.h"
#include "test_pictures_win32.h"
#include "win32_support.h"

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

// Stands between OLE and the window's drop target to see when its Drop is under way.
class WatchedDropTarget final : public IDropTarget {
 public:
  explicit WatchedDropTarget(IDropTarget& target) : target_(target) {}
  bool inDrop = false;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
    if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IDropTarget)) {
      *object = static_cast<IDropTarget*>(this);
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  // Lives on the stack of wmain, for as long as it is registered.
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL point,
                                      DWORD* effect) override {
    return target_.DragEnter(data, keys, point, effect);
  }
  HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL point, DWORD* effect) override {
    return target_.DragOver(keys, point, effect);
  }
  HRESULT STDMETHODCALLTYPE DragLeave() override { return target_.DragLeave(); }
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL point,
                                 DWORD* effect) override {
    inDrop = true;
    const HRESULT result = target_.Drop(data, keys, point, effect);
    inDrop = false;
    return result;
  }

 private:
  IDropTarget& target_;
};

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

  WatchedDropTarget watched(*form.dropTarget());
  ::RevokeDragDrop(form.hwnd());
  ::RegisterDragDrop(form.hwnd(), &watched);
  bool boxInsideDrop = false;

  BoxAnswerer answerer;
  answerer.OnBox([&](HWND, SeenBox&) { boxInsideDrop = boxInsideDrop || watched.inDrop; });
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
  if (boxInsideDrop) Print("box-inside-drop");
  Print("done");
  ::RevokeDragDrop(form.hwnd());
  return ended ? 0 : 3;
}
