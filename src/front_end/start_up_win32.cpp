#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/message_box.h"
#include "common/platform.h"
#include "common/scoped_win32.h"
#include "common/text_win32.h"
#include "front_end/desktop_services_win32.h"
#include "front_end/main_window_win32.h"
#include "front_end/single_instance.h"
#include "front_end/start_up.h"
#include "front_end/version_resource_win32.h"
#include "settings/options_dialog_win32.h"

namespace droplet {
namespace {

// The program's arguments, its own name first, from the wide command line: the narrow one
// loses every character outside the system's code page.
std::vector<std::string> CommandLineWords() {
  std::vector<std::string> arguments;
  int count = 0;
  wchar_t** words = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (words == nullptr) return arguments;
  for (int i = 0; i < count; ++i) arguments.push_back(FromWide(words[i]));
  ::LocalFree(words);
  return arguments;
}

// A file named on the command line as the window takes it: a full path, from the folder the
// program was started in (a running instance has another).
std::string FullPathOf(const std::string& file) {
  const std::wstring wide = ToWide(file);
  const DWORD size = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (size == 0) return file;
  std::wstring full(size, L'\0');
  full.resize(::GetFullPathNameW(wide.c_str(), size, full.data(), nullptr));
  return FromWide(full);
}

// The working folder as every start spells it: full, long names, one case.
std::string InstanceSpelling(const std::string& folder) {
  std::wstring spelling = ToWide(FullPathOf(folder));
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

// The program on Win32: the wide command line, the console of whoever started it, and the main
// window with the message loop. Make it on the thread that runs the window.
class Win32ProgramHost final : public ProgramHost {
 public:
  explicit Win32ProgramHost(std::string programName)
      : programName_(std::move(programName)), commandLine_(CommandLineWords()) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);
  }

  std::vector<std::string> Arguments() override {
    if (commandLine_.empty()) return {};
    return std::vector<std::string>(commandLine_.begin() + 1, commandLine_.end());
  }

  std::string ProgramFile() override {
    if (commandLine_.empty()) return "droplet";
    const std::string& started = commandLine_.front();
    return started.substr(started.find_last_of("\\/:") + 1);
  }

  std::string ProgramFolder() override { return droplet::ProgramFolder(); }
  ToolkitOptions OptionsOfTheToolkit() override { return {}; }
  std::string FullPath(const std::string& file) override { return FullPathOf(file); }

  // On the console when there is one, otherwise in a box.
  void Say(const std::string& text, Channel channel) override {
    const bool output = channel == Channel::kOutput;
    if (WriteToConsole(text, output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE)) return;
    Desktop().ShowMessageBox(text, output ? kMbIconInformation : kMbIconExclamation,
                             kApplicationTitle);
  }

  void StartToolkit(const std::vector<std::string>&) override {}

  DesktopServices& Desktop() override {
    if (!desktop_) desktop_.emplace(programName_);
    return *desktop_;
  }

  std::string InstanceFolder(const std::string& workFolder) override {
    return InstanceSpelling(workFolder);
  }

  std::unique_ptr<InstanceClaim> ClaimInstance(const std::string& name) override {
    return std::make_unique<SingleInstance>(name);
  }

  void ShowMainWindow(const Deliverable& deliverable, const WorkingFolders& folders) override {
    window_ = std::make_unique<Form1>(deliverable, folders);
    window_->ShowAtStartPosition();
  }

  void CheckConverterSoon() override { window_->CheckConverterSoon(); }
  void OpenFiles(const std::vector<std::string>& files) override { window_->OpenFiles(files); }

  int RunEventLoop() override {
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

 private:
  const ScopedOleInitialize ole_;
  std::string programName_;
  std::vector<std::string> commandLine_;
  std::optional<Win32DesktopServices> desktop_;
  std::unique_ptr<Form1> window_;
};

}  // namespace

int RunProgram(const Deliverable& deliverable, int&, char**) {
  Win32ProgramHost host(deliverable.shortName);
  // The captions and titles show what the program file's version resource says.
  return RunProgram(WithOwnVersion(deliverable), host);
}

}  // namespace droplet
