#include <windows.h>

#include <string>

#include "common/text_win32.h"
#include "files/file_system.h"

namespace droplet {

namespace {

bool IsNothingFound(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
         error == ERROR_NO_MORE_FILES;
}

bool IsLinkedEntry(const WIN32_FIND_DATAW& data) {
  return (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
         (data.dwReserved0 == IO_REPARSE_TAG_SYMLINK ||
          data.dwReserved0 == IO_REPARSE_TAG_MOUNT_POINT);
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

bool IsLink(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesW(ToWide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
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
  const bool targetExisted = ::GetFileAttributesW(wideTarget.c_str()) != INVALID_FILE_ATTRIBUTES;
  if (::CopyFileW(ToWide(source).c_str(), wideTarget.c_str(), FALSE)) return 0;
  const long error = LastError();
  // A copy that stopped half-way must not pass for a result.
  if (!targetExisted) ::DeleteFileW(wideTarget.c_str());
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

std::string DescribeSystemError(long code) {
  wchar_t buffer[512];
  const DWORD length = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, static_cast<DWORD>(code), 0, buffer,
                                        static_cast<DWORD>(std::size(buffer)), nullptr);
  std::wstring text(buffer, length);
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) {
    text.pop_back();
  }
  if (text.empty()) return "Errore " + std::to_string(code);
  return FromWide(text);
}

long AccessDeniedError() {
  return ERROR_ACCESS_DENIED;
}

}  // namespace droplet
