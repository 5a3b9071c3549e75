#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <string_view>

#include "common/working_folders.h"

// The folders the install rules put programs in (CMake's install prefix and the packages'),
// separated by colons; compiled in by src/CMakeLists.txt.
#ifndef DROPLET_INSTALLED_PROGRAM_FOLDERS
#error "DROPLET_INSTALLED_PROGRAM_FOLDERS must name the installed program folders"
#endif

namespace droplet {
namespace {

bool EndsWith(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::string WithoutFinalSlashes(std::string folder) {
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

// The program lies in one of the installed program folders, or in one below another root (a
// package unpacked or an install staged elsewhere keeps the layout it will have). Such a folder
// holds other programs too: nothing may scratch in it, whoever runs the program, root included.
bool InInstalledProgramFolder(const std::string& programFolder) {
  const std::string_view folders = DROPLET_INSTALLED_PROGRAM_FOLDERS;
  size_t start = 0;
  while (start < folders.size()) {
    size_t end = folders.find(':', start);
    if (end == std::string_view::npos) end = folders.size();
    const std::string_view folder = folders.substr(start, end - start);
    if (!folder.empty() && EndsWith(programFolder, folder)) return true;
    start = end + 1;
  }
  return false;
}

// The user's home folder: $HOME, or the one the password database gives.
std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] == '/') return WithoutFinalSlashes(home);
  const passwd* entry = ::getpwuid(::geteuid());
  if (entry != nullptr && entry->pw_dir != nullptr && entry->pw_dir[0] == '/') {
    return WithoutFinalSlashes(entry->pw_dir);
  }
  return {};
}

// An XDG base folder: the variable's value when it is an absolute path (a relative one is
// ignored, as the base-directory convention asks), otherwise its default under the home folder.
std::string BaseFolder(const char* variable, const char* underHome) {
  const char* value = std::getenv(variable);
  if (value != nullptr && value[0] == '/') return WithoutFinalSlashes(value);
  const std::string home = HomeFolder();
  return home.empty() ? std::string() : home + underHome;
}

}  // namespace

WorkingFolders ResolveWorkingFolders(const std::string& programFolder,
                                     const std::string& programName) {
  WorkingFolders folders;
  folders.program = programFolder;
  if (!InInstalledProgramFolder(programFolder) && FolderWriteError(programFolder) == 0 &&
      !SharedWithOthers(programFolder)) {
    folders.work = programFolder;
    folders.settings = programFolder;
    return folders;
  }
  folders.perUser = true;
  const std::string data = BaseFolder("XDG_DATA_HOME", "/.local/share");
  const std::string config = BaseFolder("XDG_CONFIG_HOME", "/.config");
  if (!data.empty()) folders.work = data + "/" + programName;
  if (!config.empty()) folders.settings = config + "/" + programName;
  return folders;
}

long FolderWriteError(const std::string& folder) {
  // The effective user's rights, as opening entries there would be judged.
  return ::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0 ? 0 : errno;
}

long QueryFolderPrivacy(const std::string& folder, FolderPrivacy& privacy) {
  // Judged on the folder that is open, whatever its path names a moment later.
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return errno;
  struct stat status {};
  const int result = ::fstat(fd, &status);
  const long error = result == 0 ? 0 : errno;
  ::close(fd);
  if (error != 0) return error;
  if (status.st_uid != ::geteuid()) {
    privacy = FolderPrivacy::kOtherOwner;
  } else if ((status.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
    privacy = FolderPrivacy::kOthersMayWrite;
  } else {
    privacy = FolderPrivacy::kPrivate;
  }
  return 0;
}

long CreatePrivateFolder(const std::string& folder) {
  return ::mkdir(folder.c_str(), 0700) == 0 ? 0 : errno;
}

}  // namespace droplet
