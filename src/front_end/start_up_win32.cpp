#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "common/message_box.h"
#include "common/platform.h"
#include "common/scoped_win32.h"
#include "common/text_win32.h"
#include "common/working_folders.h"
#include "front_end/desktop_services_win32.h"
#include "front_end/main_window_win32.h"
#include "front_end/single_instance.h"
#include "front_end/start_up.h"
#include "front_end/version_resource_win32.h"
#include "settings/options_dialog_win32.h"

namespace droplet {
namespace {

// How long a later start waits for the running program to take its files.
constexpr int kHandOverMilliseconds = 10000;

// The program's arguments, its own name first, from the wide command line: the narrow one
// loses every character outside the system's code page.
std::vector<std::string> Arguments() {
  std::vector<std::string> arguments;
  int count = 0;
  wchar_t** words = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (words == nullptr) return arguments;
  for (int i = 0; i < count; ++i) arguments.push_back(FromWide(words[i]));
  ::LocalFree(words);
  return arguments;
}

// The name the program was started by, for the lines of --help.
std::string ProgramFile(const std::vector<std::string>& arguments) {
  if (arguments.empty()) return "droplet";
  const std::string& started = arguments.front();
  const size_t slash = started.find_last_of("\\/:");
  return slash == std::string::npos ? started : started.substr(slash + 1);
}

// A file named on the command line as the window takes it: a full path, from the folder the
// program was started in (a running instance has another).
std::string FullPath(const std::string& file) {
  const std::wstring wide = ToWide(file);
  const DWORD size = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (size == 0) return file;
  std::wstring full(size, L'\0');
  full.resize(::GetFullPathNameW(wide.c_str(), size, full.data(), nullptr));
  return FromWide(full);
}

// The working folder as every start spells it: full, long names, one case.
std::string InstanceFolder(const std::string& folder) {
  std::wstring spelling = ToWide(FullPath(folder));
  const DWORD size = ::GetLongPathNameW(spelling.c_str(), nullptr, 0);
  if (size > 0) {
    std::wstring longName(size, L'\0');
    longName.resize(::GetLongPathNameW(spelling.c_str(), longName.data(), size));
    if (!longName.empty()) spelling = longName;
  }
  ::CharUpperBuffW(spelling.data(), static_cast<DWORD>(spelling.size()));
  return FromWide(spelling);
}

// Writes `text` where the user who started the program reads it: the output (or error output)
// a caller redirected, else the console of the program that started this one. False when there
// is neither, as for a start from a desktop.
bool WriteToConsole(const std::string& text, DWORD which) {
  std::string lines;
  for (const char c : text) {
    if (c == '\n') lines += '\r';
    lines += c;
  }
  const auto write = [&lines](HANDLE handle) {
    DWORD mode = 0;
    if (::GetConsoleMode(handle, &mode)) {
      const std::wstring wide = ToWide(lines);
      DWORD written = 0;
      return ::WriteConsoleW(handle, wide.c_str(), static_cast<DWORD>(wide.size()), &written,
                             nullptr) != 0;
    }
    DWORD written = 0;
    return ::WriteFile(handle, lines.data(), static_cast<DWORD>(lines.size()), &written, nullptr) !=
           0;
  };
  const HANDLE given = ::GetStdHandle(which);
  if (given != nullptr && given != INVALID_HANDLE_VALUE &&
      ::GetFileType(given) != FILE_TYPE_UNKNOWN && write(given)) {
    return true;
  }
  // A program of the window subsystem gets no console of its own; the one of the command prompt
  // that started it takes the text (after its prompt, which came back at the start).
  if (!::AttachConsole(ATTACH_PARENT_PROCESS)) return false;
  const HANDLE console = ::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE,
                                       nullptr, OPEN_EXISTING, 0, nullptr);
  const bool written = console != INVALID_HANDLE_VALUE && write(console);
  if (console != INVALID_HANDLE_VALUE) ::CloseHandle(console);
  ::FreeConsole();
  return written;
}

// --help, --version and an unknown option: on the console when there is one, otherwise in a
// box.
void Tell(const std::string& text, DWORD which, unsigned icon, const Deliverable& deliverable) {
  if (WriteToConsole(text, which)) return;
  Win32DesktopServices desktop(deliverable.shortName);
  desktop.ShowMessageBox(text, icon, kApplicationTitle);
}

}  // namespace

int RunProgram(const Deliverable& deliverable, int&, char**) {
  const ScopedOleInitialize ole;
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  ::InitCommonControlsEx(&controls);
  // The captions and titles show what the program file's version resource says.
  const Deliverable own = WithOwnVersion(deliverable);
  const WorkingFolders folders = ResolveWorkingFolders(ProgramFolder(), own.shortName);

  const std::vector<std::string> arguments = Arguments();
  const std::string programFile = ProgramFile(arguments);
  const CommandLine line = ParseCommandLine(
      arguments.empty() ? arguments
                        : std::vector<std::string>(arguments.begin() + 1, arguments.end()));
  if (line.help) {
    Tell(HelpText(own, programFile, folders), STD_OUTPUT_HANDLE, kMbIconInformation, own);
    return 0;
  }
  if (line.version) {
    Tell(VersionText(own), STD_OUTPUT_HANDLE, kMbIconInformation, own);
    return 0;
  }
  if (!line.unknownOption.empty()) {
    Tell(UnknownOptionText(programFile, line.unknownOption), STD_ERROR_HANDLE, kMbIconExclamation,
         own);
    return 2;
  }
  std::vector<std::string> files;
  for (const std::string& file : line.files) files.push_back(FullPath(file));

  const std::string problem = PrepareWorkingFolders(folders, own.shortName);
  if (!problem.empty()) {
    Win32DesktopServices desktop(own.shortName);
    desktop.ShowMessageBox(problem, kMbIconExclamation, kApplicationTitle);
    return 1;
  }

  // Every spelling of the working folder names one instance.
  SingleInstance instance(InstanceName(own.shortName, InstanceFolder(folders.work)));
  if (!instance.IsFirst()) {
    if (instance.HandOver(files, kHandOverMilliseconds)) return 0;
    Win32DesktopServices desktop(own.shortName);
    desktop.ShowMessageBox(HandOverFailedText(own, folders, files), kMbIconExclamation,
                           kApplicationTitle);
    return 1;
  }

  Form1 form1(own, folders);
  form1.ShowAtStartPosition();
  form1.CheckConverterSoon();
  // Without the listening window a later start finds no one to take its files and says so.
  instance.Listen([&form1](const std::vector<std::string>& handed) { form1.OpenFiles(handed); });
  if (!files.empty())
    form1.desktop().PostToWindowThread([&form1, &files] { form1.OpenFiles(files); });
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
