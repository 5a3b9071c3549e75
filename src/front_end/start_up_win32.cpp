#include <windows.h>

#include <commctrl.h>

#include "common/message_box.h"
#include "common/platform.h"
#include "common/scoped_win32.h"
#include "common/working_folders.h"
#include "front_end/desktop_services_win32.h"
#include "front_end/main_window_win32.h"
#include "front_end/start_up.h"
#include "front_end/version_resource_win32.h"
#include "settings/options_dialog_win32.h"

namespace droplet {

int RunProgram(const Deliverable& deliverable, int&, char**) {
  const ScopedOleInitialize ole;
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  ::InitCommonControlsEx(&controls);
  // The captions and titles show what the program file's version resource says.
  const Deliverable own = WithOwnVersion(deliverable);
  const WorkingFolders folders = ResolveWorkingFolders(ProgramFolder(), own.shortName);
  const std::string problem = PrepareWorkingFolders(folders, own.shortName);
  if (!problem.empty()) {
    Win32DesktopServices desktop(own.shortName);
    desktop.ShowMessageBox(problem, kMbIconExclamation, kApplicationTitle);
    return 1;
  }

  Form1 form1(own, folders);
  form1.ShowAtStartPosition();
  form1.CheckConverterSoon();
  MSG message{};
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    // The modeless options dialog takes its keys (Tab, arrows) from here.
    const HWND options = CurrentOptionsDialog();
    if (options != nullptr && ::IsDialogMessageW(options, &message)) continue;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

}  // namespace droplet
