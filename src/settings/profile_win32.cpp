#include <windows.h>
// <windows.h> maps WriteProfileString to the system's WriteProfileStringA/W (the WIN.INI
// writer); the name here is ours.
#undef WriteProfileString

#include <string>

#include "common/text_win32.h"
#include "files/file_system.h"
#include "settings/ini_text.h"
#include "settings/profile.h"

// Profile files on Windows: the system's own profile functions, with UTF-8 text converted at
// the call.

namespace droplet {

namespace {

// A file that exists and is a folder, or over the limit, or whose size cannot be told. The
// system's profile functions would read (or rewrite) the whole of it for every value.
bool Unreadable(const std::string& file) {
  DirEntry entry;
  if (!QueryEntry(file, entry)) return false;
  unsigned long long size = 0;
  return entry.isDirectory || QueryFileSize(file, size) != 0 || size > kProfileSizeLimit;
}

std::string SystemRead(const std::string& section, const std::string& key,
                       const std::string& file) {
  wchar_t buffer[kIniValueLimit + 1];
  const DWORD copied =
      ::GetPrivateProfileStringW(ToWide(section).c_str(), ToWide(key).c_str(), L"", buffer,
                                 static_cast<DWORD>(kIniValueLimit + 1), ToWide(file).c_str());
  // The limit counts UTF-8 bytes, as on POSIX, not the UTF-16 units the system counted.
  return std::string(CutToIniValueLimit(FromWide(std::wstring(buffer, copied))));
}

}  // namespace

ProfileReader::ProfileReader(const std::string& file)
    : file_(file), unreadable_(Unreadable(file)) {}

std::string ProfileReader::Read(const std::string& section, const std::string& key) const {
  return unreadable_ ? std::string() : SystemRead(section, key, file_);
}

bool WriteProfileString(const std::string& section, const std::string& key,
                        const std::string& value, const std::string& file) {
  // The same refusals as the POSIX reader and writer: a name that the file could not hold, or a
  // value with a line break that would add lines (and entries) of its own.
  if (!IniNamesStorable(section, key)) return false;
  if (Unreadable(file)) return false;
  const std::string storable(IniStorableValue(value));
  return ::WritePrivateProfileStringW(ToWide(section).c_str(), ToWide(key).c_str(),
                                      ToWide(storable).c_str(), ToWide(file).c_str()) != FALSE;
}

}  // namespace droplet
