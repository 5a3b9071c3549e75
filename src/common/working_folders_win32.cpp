#include <windows.h>

#include <string>

#include "common/platform_win32.h"
#include "common/text_win32.h"
#include "common/working_folders.h"
#include "files/file_system.h"

namespace droplet {
namespace {

// The user's local application data folder (%LOCALAPPDATA%), without a final backslash; empty
// when the environment does not name a full path.
std::string LocalAppData() {
  std::string folder = EnvironmentVariable("LOCALAPPDATA");
  while (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
  const bool full = folder.size() >= 3 && folder[1] == ':' && folder[2] == '\\';
  return full ? folder : std::string();
}

}  // namespace

WorkingFolders ResolveWorkingFolders(const std::string& programFolder,
                                     const std::string& programName) {
  WorkingFolders folders;
  folders.program = programFolder;
  const std::string local = LocalAppData();
  // The per-user installer puts the program in %LOCALAPPDATA%\Programs\<programName>, a folder
  // the user may write but that holds the installed files: it is no scratch area either.
  const bool installed =
      !local.empty() && SameEntry(programFolder, local + "\\Programs\\" + programName);
  if (!installed && FolderWriteError(programFolder) == 0) {
    folders.work = programFolder;
    folders.settings = programFolder;
    return folders;
  }
  folders.perUser = true;
  if (!local.empty()) {
    folders.work = local + "\\" + programName;
    folders.settings = folders.work;
  }
  return folders;
}

long FolderWriteError(const std::string& folder) {
  // Windows tells no folder's rights in advance that hold for every case (Program Files,
  // read-only media, access lists): a file created and deleted at once answers for all.
  const std::wstring probe =
      ToWide(folder + "\\~droplet-" + std::to_string(::GetCurrentProcessId()) + ".tmp");
  const HANDLE file = ::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file == INVALID_HANDLE_VALUE) return static_cast<long>(::GetLastError());
  ::CloseHandle(file);
  return 0;
}

long CreatePrivateFolders(const std::string& folder) {
  const DWORD attributes = ::GetFileAttributesW(ToWide(folder).c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? 0 : ERROR_DIRECTORY;
  }
  const size_t slash = folder.rfind('\\');
  if (slash != std::string::npos && slash > 2) {
    const long error = CreatePrivateFolders(folder.substr(0, slash));
    if (error != 0) return error;
  }
  // Under %LOCALAPPDATA% a new folder inherits the user's own access list.
  if (!::CreateDirectoryW(ToWide(folder).c_str(), nullptr) &&
      ::GetLastError() != ERROR_ALREADY_EXISTS) {
    return static_cast<long>(::GetLastError());
  }
  return 0;
}

}  // namespace droplet
