#pragma once

#include <string>

namespace droplet {

// A program's version, as its version resource gives it.
struct Version {
  int major = 0;
  int minor = 0;
  int revision = 0;
};

enum class VersionParts { kMajorMinor, kMajorMinorRevision };

// "major.minor.revision" or "major.minor", each a plain decimal number without leading zeros
// ("0.0.9", "0.0").
inline std::string FormatVersion(const Version& version,
                                 VersionParts parts = VersionParts::kMajorMinorRevision) {
  // Appended piece by piece: GCC 12 at -O3 takes "." + a temporary string for an overlapping
  // copy and stops the build.
  std::string text = std::to_string(version.major);
  text += '.';
  text += std::to_string(version.minor);
  if (parts == VersionParts::kMajorMinorRevision) {
    text += '.';
    text += std::to_string(version.revision);
  }
  return text;
}

}  // namespace droplet
