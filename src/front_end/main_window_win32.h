#pragma once

// Form1 on Win32: the main window of either program. Windows-only header.

#include <ole2.h>
#include <windows.h>

#include <oleacc.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/scoped_win32.h"
#include "common/working_folders.h"
#include "files/document_opener.h"
#include "front_end/deliverable.h"
#include "front_end/desktop_services_win32.h"
#include "front_end/drop_target_win32.h"
#include "front_end/main_window.h"
#include "front_end/resources_win32.h"
#include "front_end/ui_model.h"
#include "front_end/window_view.h"
#include "settings/ini_settings.h"
#include "shell/opaque_runs.h"

namespace droplet {

// Where a window finds its pictures: bitmap resources of a module (the running program's own
// unless told otherwise).
struct Win32Pictures {
  HINSTANCE module = nullptr;
  int picture = DROPLET_PICTURE;
  int optionsPicture = DROPLET_OPTIONS_PICTURE;
};

// Form1: a popup window painted from its picture, cut to the picture's outline and kept above
// ordinary windows. It forwards drops (OLE), menu commands and close requests to the workflow,
// shows a run's progress on the picture and the busy pointer while a drop is handled. Make it on
// the thread that runs its messages, after OleInitialize there.
class Form1 : private WindowRequests {
 public:
  // The window of a program that works in `folders`.
  Form1(const Deliverable& deliverable, const WorkingFolders& folders, Win32Pictures pictures = {},
        std::unique_ptr<DocumentOpener> opener = MakeSystemDocumentOpener());
  // A portable program's window: it works in its program folder.
  Form1(const Deliverable& deliverable, const std::string& programFolder,
        Win32Pictures pictures = {},
        std::unique_ptr<DocumentOpener> opener = MakeSystemDocumentOpener())
      : Form1(deliverable, WorkingFolders{programFolder, programFolder, programFolder, false},
              pictures, std::move(opener)) {}
  ~Form1();
  Form1(const Form1&) = delete;
  Form1& operator=(const Form1&) = delete;

  HWND hwnd() const { return window_.get(); }
  MainWindowWorkflow& workflow() { return workflow_; }
  Win32DesktopServices& desktop() { return desktop_; }
  std::int32_t keyColour() const { return keyColour_; }
  // The runs of the picture's kept pixels, as the window is cut to them (client pixels).
  const std::vector<RunRect>& opaqueRuns() const { return opaqueRuns_; }
  // The window's tips: Tessik's labels and, during a run, the progress.
  HWND toolTip() const { return toolTip_.get(); }
  // The drop target registered for the window (tests drag onto it directly).
  IDropTarget* dropTarget() const;
  // Where the progress bar shows during a run (client pixels); empty without room for one.
  RECT progressBarRect() const;
  // The window's dots per inch, which its picture and shape are scaled to.
  UINT dpi() const { return dpi_; }

  // Shows the window near the top right corner of the work area of its monitor.
  void ShowAtStartPosition();
  // Tells the user, once the message loop runs, when the converter cannot be found.
  void CheckConverterSoon();

  // Files handed to the program (its command line, a later start): handed over to the
  // workflow (MainWindowWorkflow::HandOverFiles). The window comes to the front unless a box of its
  // own is open.
  void OpenFiles(const std::vector<std::string>& paths);

  // Shows the pop-up menu at `screenPoint` and runs the chosen entry before it returns.
  void ShowMenu(POINT screenPoint);
  // Opens the pop-up menu as the context-menu key does, over the middle of the picture.
  void ShowMenuFromKeyboard();
  // Runs a command of the menu or a label; what the command means lies in RunWindowCommand.
  void RunCommand(WindowCommand command);

 private:
  friend class OwnedWindows;
  void OpenOptionsDialog() override;
  void RequestClose() override;
  std::vector<std::string> ChoosePdfs() override;
  LRESULT OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void FormLoad();
  // Scales the picture to the window's DPI, sizes and cuts the window to it and places the
  // progress bar.
  void ApplyPicture();
  void PlaceToolTips();
  void Paint(HDC dc, const RECT& client);
  void PaintProgress(HDC dc);
  void ShowProgress(const RunProgress& progress);
  // Shows what the window says of itself now: the whole window's tip and, through the system's
  // annotation service where there is one, its accessible name and description (a system
  // without it names the window by its text).
  void ShowWindowTexts(const RunProgress& progress);
  // WM_CLOSE and WM_QUERYENDSESSION: true when the window stays.
  bool QueryUnload();
  double Scale() const { return dpi_ / 96.0; }

  Win32DesktopServices desktop_;
  std::unique_ptr<DocumentOpener> opener_;
  MainWindowWorkflow workflow_;
  Win32Pictures pictures_;
  ScopedWindow window_;
  UINT dpi_ = 96;
  ScopedBitmap original_;  // the picture as the resource holds it
  ScopedBitmap picture_;   // scaled to the window's DPI
  std::int32_t keyColour_ = 1;
  ScopedWindow toolTip_;                // owned by the window: destroyed before it
  std::vector<ScopedFont> labelFonts_;  // one per label, at the window's DPI
  std::vector<RunRect> opaqueRuns_;
  WindowView view_;
  int progressTick_ = 0;
  std::unique_ptr<DropTargetRegistration> dropTarget_;
  ScopedCom<IAccPropServices> accessibility_;  // the annotation service, when there is one
};

}  // namespace droplet
