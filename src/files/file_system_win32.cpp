#include <windows.h>

#include <cstdint>
#include <string>

#include "common/text_win32.h"
#include "files/file_system.h"

namespace droplet {

namespace {

bool IsNothingFound(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
         error == ERROR_NO_MORE_FILES;
}

// Every reparse point counts as a link, junctions and symbolic links alike: what it leads to
// is never emptied or deleted through it.
bool IsLinkedEntry(const WIN32_FIND_DATAW& data) {
  return (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

DirEntry ToEntry(const WIN32_FIND_DATAW& data) {
  DirEntry entry;
  entry.name = FromWide(data.cFileName);
  entry.isDirectory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  entry.isHidden = (data.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) != 0;
  entry.isReadOnly = (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
  entry.isSystem = (data.dwFileAttributes & FILE_ATTRIBUTE_SYSTEM) != 0;
  entry.isLink = IsLinkedEntry(data);
  return entry;
}

long LastError() {
  return static_cast<long>(::GetLastError());
}

}  // namespace

FindResult FindEntries(const std::string& pathPattern, bool /*withReadOnly*/) {
  FindResult result;
  WIN32_FIND_DATAW data;
  const HANDLE search = ::FindFirstFileW(ToWide(pathPattern).c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    if (!IsNothingFound(error)) result.error = static_cast<long>(error);
    return result;
  }
  do {
    result.entries.push_back(ToEntry(data));
  } while (::FindNextFileW(search, &data));
  const DWORD error = ::GetLastError();
  if (!IsNothingFound(error)) result.error = static_cast<long>(error);
  ::FindClose(search);
  return result;
}

bool QueryEntry(const std::string& path, DirEntry& entry) {
  const DWORD attributes = ::GetFileAttributesW(ToWide(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  entry.isDirectory = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  entry.isHidden = (attributes & FILE_ATTRIBUTE_HIDDEN) != 0;
  entry.isReadOnly = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
  entry.isSystem = (attributes & FILE_ATTRIBUTE_SYSTEM) != 0;
  entry.isLink = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  return true;
}

bool IsLink(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesW(ToWide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

std::string ShortPathName(const std::string& path) {
  if (path.empty()) return {};
  const std::wstring wide = ToWide(path);
  // 164 characters first; a longer short form reports the size it needs, and is asked for
  // again with that size, so the answer is never cut short.
  std::wstring buffer(165, L'\0');
  DWORD offered = 164;
  for (;;) {
    const DWORD length = ::GetShortPathNameW(wide.c_str(), buffer.data(), offered);
    if (length == 0) return {};
    if (length < offered) {
      buffer.resize(length);
      return FromWide(buffer);
    }
    offered = length + 1;
    buffer.assign(static_cast<size_t>(offered) + 1, L'\0');
  }
}

long CopyFileReplacing(const std::string& source, const std::string& target) {
  const std::wstring wideTarget = ToWide(target);
  const DWORD attributes = ::GetFileAttributesW(wideTarget.c_str());
  const bool targetExisted = attributes != INVALID_FILE_ATTRIBUTES;
  // A link at the target's name is replaced, never written through: it goes first.
  if (targetExisted && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
      (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && !::DeleteFileW(wideTarget.c_str())) {
    return LastError();
  }
  if (::CopyFileW(ToWide(source).c_str(), wideTarget.c_str(), FALSE)) {
    // The copy is a plain document: none of the source's read-only, hidden or system marks.
    return ::SetFileAttributesW(wideTarget.c_str(), FILE_ATTRIBUTE_NORMAL) ? 0 : LastError();
  }
  const long error = LastError();
  // A copy that stopped half-way must not pass for a result.
  if (!targetExisted) ::DeleteFileW(wideTarget.c_str());
  return error;
}

long RenameFileReplacing(const std::string& source, const std::string& target) {
  const std::wstring wideSource = ToWide(source);
  const std::wstring wideTarget = ToWide(target);
  const DWORD sourceAttributes = ::GetFileAttributesW(wideSource.c_str());
  if (sourceAttributes == INVALID_FILE_ATTRIBUTES) return LastError();
  // Only a plain file moves: a link stays where it is, and what it leads to is not ours.
  if ((sourceAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) {
    return ERROR_ACCESS_DENIED;
  }
  const DWORD targetAttributes = ::GetFileAttributesW(wideTarget.c_str());
  if (targetAttributes != INVALID_FILE_ATTRIBUTES &&
      (targetAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0 &&
      (targetAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0) {
    return ERROR_ACCESS_DENIED;
  }
  // A plain document, as a copy would be: none of the read-only, hidden or system marks.
  constexpr DWORD kMarks = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  const bool marked = (sourceAttributes & kMarks) != 0;
  if (marked && !::SetFileAttributesW(wideSource.c_str(), FILE_ATTRIBUTE_NORMAL)) {
    return LastError();
  }
  // No copy flag: another volume is refused (ERROR_NOT_SAME_DEVICE) rather than copied here.
  // A link at the target's name is replaced as a name, never written through.
  if (::MoveFileExW(wideSource.c_str(), wideTarget.c_str(), MOVEFILE_REPLACE_EXISTING)) return 0;
  const long error = LastError();
  if (marked) ::SetFileAttributesW(wideSource.c_str(), sourceAttributes);
  return error;
}

long DeleteOneFile(const std::string& path) {
  return ::DeleteFileW(ToWide(path).c_str()) ? 0 : LastError();
}

long ForceDeleteFile(const std::string& path) {
  const std::wstring wide = ToWide(path);
  if (!::SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL)) return LastError();
  return ::DeleteFileW(wide.c_str()) ? 0 : LastError();
}

long SetNormalAttributes(const std::string& path) {
  return ::SetFileAttributesW(ToWide(path).c_str(), FILE_ATTRIBUTE_NORMAL) ? 0 : LastError();
}

long CreateOneFolder(const std::string& path) {
  return ::CreateDirectoryW(ToWide(path).c_str(), nullptr) ? 0 : LastError();
}

long RemoveEmptyFolder(const std::string& path) {
  return ::RemoveDirectoryW(ToWide(path).c_str()) ? 0 : LastError();
}

long QueryFileSize(const std::string& path, unsigned long long& size) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!::GetFileAttributesExW(ToWide(path).c_str(), GetFileExInfoStandard, &data)) {
    return LastError();
  }
  size = (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  return 0;
}

long ReadFilePart(const std::string& path, unsigned long long offset, size_t maxBytes,
                  std::string& bytes) {
  bytes.clear();
  HANDLE file = ::CreateFileW(ToWide(path).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return LastError();
  long error = 0;
  LARGE_INTEGER position{};
  position.QuadPart = static_cast<LONGLONG>(offset);
  if (!::SetFilePointerEx(file, position, nullptr, FILE_BEGIN)) error = LastError();
  bytes.resize(maxBytes);
  size_t got = 0;
  while (error == 0 && got < maxBytes) {
    DWORD count = 0;
    if (!::ReadFile(file, bytes.data() + got, static_cast<DWORD>(maxBytes - got), &count,
                    nullptr)) {
      error = LastError();
    } else if (count == 0) {
      break;
    }
    got += count;
  }
  ::CloseHandle(file);
  bytes.resize(error == 0 ? got : 0);
  return error;
}

struct HeldFolderAccess {
  static HANDLE Handle(const HeldFolder& folder) {
    return reinterpret_cast<HANDLE>(static_cast<intptr_t>(folder.handle_));
  }
  static const std::string& Path(const HeldFolder& folder) { return folder.path_; }
  static void Set(HeldFolder& folder, HANDLE handle, std::string path) {
    folder.Close();
    folder.handle_ = static_cast<long long>(reinterpret_cast<intptr_t>(handle));
    folder.path_ = std::move(path);
  }
};

void HeldFolder::CloseHandle(long long handle) {
  ::CloseHandle(reinterpret_cast<HANDLE>(static_cast<intptr_t>(handle)));
}

namespace {

std::string Inside(const HeldFolder& folder, const std::string& name) {
  const std::string& path = HeldFolderAccess::Path(folder);
  return !path.empty() && path.back() == '\\' ? path + name : path + "\\" + name;
}

// Opens the folder itself, never what a reparse point leads to. The handle does not share
// deletion, so while it is open nobody can rename the folder or put a link in its place: the
// entries named through its path are the ones inside this folder.
long OpenFolderByPath(const std::string& path, HeldFolder& folder, bool& isLink) {
  isLink = false;
  folder.Close();
  const HANDLE handle =
      ::CreateFileW(ToWide(path).c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES,
                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return LastError();
  BY_HANDLE_FILE_INFORMATION information{};
  if (!::GetFileInformationByHandle(handle, &information)) {
    const long error = LastError();
    ::CloseHandle(handle);
    return error;
  }
  if ((information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    ::CloseHandle(handle);
    isLink = true;
    return 0;
  }
  if ((information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    ::CloseHandle(handle);
    return ERROR_DIRECTORY;
  }
  HeldFolderAccess::Set(folder, handle, path);
  return 0;
}

}  // namespace

long OpenFolderNoFollow(const std::string& path, HeldFolder& folder, bool& isLink) {
  return OpenFolderByPath(path, folder, isLink);
}

long OpenSubfolderNoFollow(const HeldFolder& parent, const std::string& name, HeldFolder& folder,
                           bool& isLink) {
  return OpenFolderByPath(Inside(parent, name), folder, isLink);
}

FindResult ListHeldFolder(const HeldFolder& folder) {
  FindResult found = FindEntries(Inside(folder, "*"));
  std::erase_if(found.entries,
                [](const DirEntry& entry) { return entry.name == "." || entry.name == ".."; });
  return found;
}

long DeleteEntryAt(const HeldFolder& folder, const std::string& name) {
  const std::wstring wide = ToWide(Inside(folder, name));
  const DWORD attributes = ::GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return LastError();
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    // The link itself goes: a linked folder is removed as a folder entry, which never
    // reaches what it points to.
    const BOOL removed = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0
                             ? ::RemoveDirectoryW(wide.c_str())
                             : ::DeleteFileW(wide.c_str());
    return removed ? 0 : LastError();
  }
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return ERROR_DIRECTORY;
  if (!::SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL)) return LastError();
  return ::DeleteFileW(wide.c_str()) ? 0 : LastError();
}

long RemoveFolderAt(const HeldFolder& folder, const std::string& name) {
  return ::RemoveDirectoryW(ToWide(Inside(folder, name)).c_str()) ? 0 : LastError();
}

bool IsNothingThereError(long code) {
  return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND || code == ERROR_DIRECTORY;
}

long AccessDeniedError() {
  return ERROR_ACCESS_DENIED;
}

}  // namespace droplet
