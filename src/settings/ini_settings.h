#pragma once

#include <string>

namespace droplet {

// The settings file as the settings operations and the options dialog address it. Both paths
// are worked out once, from the folder that holds the file and the program's names for it.
struct SettingsFile {
  std::string path;           // read and written: folder + separator + "Orvane.INI"
  std::string existencePath;  // looked for before loading: folder + separator + "Orvane.ini"
};

// Folder + separator + file name.
std::string IniFilePath(const std::string& folder, const std::string& fileName);

// The value under `key` in `section` of the settings file at `iniPath`; empty text when the
// file, the section or the key is missing.
std::string ReadIniValue(const std::string& iniPath, const std::string& section,
                         const std::string& key);

// Stores the value, creating the file, the section or the key as needed. A refused write
// leaves the settings as they were, without a message.
void WriteIniValue(const std::string& iniPath, const std::string& section, const std::string& key,
                   const std::string& value);

}  // namespace droplet
