#include "settings/ini_settings.h"

#include "common/platform.h"
#include "settings/profile.h"

namespace droplet {

std::string IniFilePath(const std::string& folder, const std::string& fileName) {
  return folder + Sep() + fileName;
}

std::string ReadIniValue(const std::string& iniPath, const std::string& section,
                         const std::string& key) {
  return ReadProfileString(section, key, iniPath);
}

void WriteIniValue(const std::string& iniPath, const std::string& section, const std::string& key,
                   const std::string& value) {
  // A refused write leaves the settings as they were; the callers go on without a message.
  WriteProfileString(section, key, value, iniPath);
}

}  // namespace droplet
