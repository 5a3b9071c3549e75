#pragma once

#include <optional>
#include <string>

// Private-profile (INI) files. Windows: the system's profile functions. POSIX: our own reader
// and writer with the same behaviour (profile_posix.cpp over ini_text.h).

namespace droplet {

// The most a profile file may hold. A larger one is unreadable: none of its values count, and
// it is never rewritten, so nothing of it is lost.
inline constexpr unsigned long long kProfileSizeLimit = 1024 * 1024;

// A profile file read once for the many values of one load. On POSIX the text is read here,
// whole; on Windows only its size is checked here and each value is asked of the system.
class ProfileReader {
 public:
  explicit ProfileReader(const std::string& file);

  // The file exists but cannot be read: over kProfileSizeLimit, not a plain file, or refused.
  // A missing file is no fault: it holds no values.
  bool unreadable() const { return unreadable_; }

  // As ReadProfileString; empty text for every key of an unreadable file.
  std::string Read(const std::string& section, const std::string& key) const;

 private:
  std::string file_;
  std::optional<std::string> text_;  // POSIX: the file's text, when there is one
  bool unreadable_ = false;
};

// The value under `key` in `section` of `file`, at most 254 characters; empty text when the
// file, the section or the key is missing or unreadable.
inline std::string ReadProfileString(const std::string& section, const std::string& key,
                                     const std::string& file) {
  return ProfileReader(file).Read(section, key);
}

// Stores `value` under `key`, creating the file, the section or the key as needed and keeping
// everything else in the file as it was. Returns false when the file could not be written; an
// unreadable file (as ProfileReader tells) is left as it is. On POSIX the file written is a
// plain one of the owner's: a link at its name is replaced by the file, never written through.
bool WriteProfileString(const std::string& section, const std::string& key,
                        const std::string& value, const std::string& file);

}  // namespace droplet
