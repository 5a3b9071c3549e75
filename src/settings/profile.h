#pragma once

#include <string>

// Private-profile (INI) files. Windows: the system's profile functions. POSIX: our own reader
// and writer with the same behaviour (profile_posix.cpp over ini_text.h).

namespace droplet {

// The value under `key` in `section` of `file`, at most 254 characters; empty text when the
// file, the section or the key is missing or unreadable.
std::string ReadProfileString(const std::string& section, const std::string& key,
                              const std::string& file);

// Stores `value` under `key`, creating the file, the section or the key as needed and keeping
// everything else in the file as it was. Returns false when the file could not be written.
bool WriteProfileString(const std::string& section, const std::string& key,
                        const std::string& value, const std::string& file);

}  // namespace droplet
