#include <windows.h>

#include "files/file_system.h"
#include "support/file_fixtures.h"
#include "support/temp_folder.h"

namespace droplet::testing {

namespace fs = std::filesystem;

std::string MakeHiddenFile(const fs::path& folder, const std::string& baseName,
                           const std::string& bytes) {
  const fs::path path = folder / PathFromUtf8(baseName);
  WriteFile(path, bytes);
  ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_HIDDEN);
  return baseName;
}

std::string MakeHiddenFolder(const fs::path& folder, const std::string& baseName) {
  const fs::path path = folder / PathFromUtf8(baseName);
  fs::create_directory(path);
  ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY);
  return baseName;
}

void MakeReadOnly(const fs::path& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  ::SetFileAttributesW(path.c_str(), attributes | FILE_ATTRIBUTE_READONLY);
}

bool MakeFolderLink(const fs::path& target, const fs::path& link) {
  // Without developer mode the unprivileged flag is refused; an elevated run may do without.
  constexpr DWORD kUnprivileged = 0x2;  // SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE
  if (!::CreateSymbolicLinkW(link.c_str(), target.c_str(),
                             SYMBOLIC_LINK_FLAG_DIRECTORY | kUnprivileged) &&
      !::CreateSymbolicLinkW(link.c_str(), target.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY)) {
    return false;
  }
  // Wine 8 reports success and makes nothing: only a reparse point counts.
  const DWORD attributes = ::GetFileAttributesW(link.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

fs::path OtherFileSystemFolder() {
  // Wine's Z: drive shows the whole Linux tree, its tmpfs included; Windows has no such drive.
  const fs::path shared = L"Z:\\dev\\shm";
  const DWORD attributes = ::GetFileAttributesW(shared.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    return {};
  }
  return shared;
}

bool ReadOnlyTargetsIgnored() {
  TempFolder folder;
  WriteFile(folder.path() / "source", "new");
  WriteFile(folder.path() / "target", "old");
  MakeReadOnly(folder.path() / "target");
  return CopyFileReplacing(folder / "source", folder / "target") == 0;
}

}  // namespace droplet::testing
