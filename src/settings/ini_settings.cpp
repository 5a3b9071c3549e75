#include "settings/ini_settings.h"

#include "common/platform.h"
#include "settings/profile.h"

namespace droplet {

std::string IniFilePath(const std::string& programFolder, const Deliverable& deliverable) {
  return programFolder + Sep() + deliverable.iniFileName;
}

std::string ReadIniValue(const std::string& programFolder, const Deliverable& deliverable,
                         const std::string& section, const std::string& key) {
  return ReadProfileString(section, key, IniFilePath(programFolder, deliverable));
}

void WriteIniValue(const std::string& programFolder, const Deliverable& deliverable,
                   const std::string& section, const std::string& key, const std::string& value) {
  // A refused write leaves the settings as they were; the callers go on without a message.
  WriteProfileString(section, key, value, IniFilePath(programFolder, deliverable));
}

}  // namespace droplet
