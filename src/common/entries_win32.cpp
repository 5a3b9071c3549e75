#include <windows.h>

#include "common/entries.h"
#include "common/text_win32.h"

namespace droplet {

bool SameEntry(const std::string& first, const std::string& second) {
  // Both entries open at once, so neither identity can be reused between the two queries.
  const auto open = [](const std::string& path) {
    return ::CreateFileW(ToWide(path).c_str(), 0,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  };
  HANDLE one = open(first);
  if (one == INVALID_HANDLE_VALUE) return false;
  HANDLE other = open(second);
  bool same = false;
  if (other != INVALID_HANDLE_VALUE) {
    BY_HANDLE_FILE_INFORMATION a{};
    BY_HANDLE_FILE_INFORMATION b{};
    same = ::GetFileInformationByHandle(one, &a) && ::GetFileInformationByHandle(other, &b) &&
           a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
           a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
    ::CloseHandle(other);
  }
  ::CloseHandle(one);
  return same;
}

EntryKind KindOfEntry(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesW(ToWide(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return EntryKind::kNothing;
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? EntryKind::kFolder : EntryKind::kOther;
}

long NotAFolderError() {
  return ERROR_DIRECTORY;
}

}  // namespace droplet
