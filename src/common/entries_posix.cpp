#include <sys/stat.h>

#include <cerrno>

#include "common/entries.h"

namespace droplet {

bool SameEntry(const std::string& first, const std::string& second) {
  struct stat one;
  struct stat other;
  return ::stat(first.c_str(), &one) == 0 && ::stat(second.c_str(), &other) == 0 &&
         one.st_dev == other.st_dev && one.st_ino == other.st_ino;
}

EntryKind KindOfEntry(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return EntryKind::kNothing;
  return S_ISDIR(status.st_mode) ? EntryKind::kFolder : EntryKind::kOther;
}

long NotAFolderError() {
  return ENOTDIR;
}

}  // namespace droplet
