#include <windows.h>

#include "common/text_win32.h"
#include "files/entry_stamps.h"

namespace droplet {

long StampFolder(const std::string& folder, FolderStamps& stamps) {
  stamps.clear();
  WIN32_FIND_DATAW data;
  const HANDLE search = ::FindFirstFileW(ToWide(folder + "\\*").c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return static_cast<long>(::GetLastError());
  do {
    const std::string name = FromWide(data.cFileName);
    if (name == "." || name == "..") continue;
    EntryStamp& stamp = stamps[name];
    stamp.size = (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    stamp.modified = static_cast<long long>(
        (static_cast<unsigned long long>(data.ftLastWriteTime.dwHighDateTime) << 32) |
        data.ftLastWriteTime.dwLowDateTime);
    // The creation time tells a file made anew under an old name from the old one.
    stamp.id = (static_cast<unsigned long long>(data.ftCreationTime.dwHighDateTime) << 32) |
               data.ftCreationTime.dwLowDateTime;
    stamp.isDirectory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    stamp.isLink = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  } while (::FindNextFileW(search, &data));
  const DWORD error = ::GetLastError();
  ::FindClose(search);
  return error == ERROR_NO_MORE_FILES ? 0 : static_cast<long>(error);
}

}  // namespace droplet
