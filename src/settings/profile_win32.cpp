#include <windows.h>
// <windows.h> maps WriteProfileString to the system's WriteProfileStringA/W (the WIN.INI
// writer); the name here is ours.
#undef WriteProfileString

#include <string>

#include "common/text_win32.h"
#include "settings/ini_text.h"
#include "settings/profile.h"

// Profile files on Windows: the system's own profile functions, with UTF-8 text converted at
// the call.

namespace droplet {

std::string ReadProfileString(const std::string& section, const std::string& key,
                              const std::string& file) {
  wchar_t buffer[kIniValueLimit + 1];
  const DWORD copied =
      ::GetPrivateProfileStringW(ToWide(section).c_str(), ToWide(key).c_str(), L"", buffer,
                                 static_cast<DWORD>(kIniValueLimit + 1), ToWide(file).c_str());
  // The limit counts UTF-8 bytes, as on POSIX, not the UTF-16 units the system counted.
  return std::string(CutToIniValueLimit(FromWide(std::wstring(buffer, copied))));
}

bool WriteProfileString(const std::string& section, const std::string& key,
                        const std::string& value, const std::string& file) {
  // The same refusals as the POSIX reader and writer: a name that the file could not hold, or a
  // value with a line break that would add lines (and entries) of its own.
  if (!IniNamesStorable(section, key)) return false;
  const std::string storable(IniStorableValue(value));
  return ::WritePrivateProfileStringW(ToWide(section).c_str(), ToWide(key).c_str(),
                                      ToWide(storable).c_str(), ToWide(file).c_str()) != FALSE;
}

}  // namespace droplet
