#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <memory>

#include "files/entry_stamps.h"

namespace droplet {

long StampFolder(const std::string& folder, FolderStamps& stamps) {
  stamps.clear();
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return errno;
  // The stream owns the descriptor from here on.
  const std::unique_ptr<DIR, int (*)(DIR*)> dir(::fdopendir(fd), &::closedir);
  if (!dir) {
    const long error = errno;
    ::close(fd);
    return error;
  }
  while (const dirent* entry = ::readdir(dir.get())) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    struct stat status {};
    // An entry gone between the listing and the look is simply not there.
    if (::fstatat(fd, entry->d_name, &status, AT_SYMLINK_NOFOLLOW) != 0) continue;
    EntryStamp& stamp = stamps[name];
    stamp.size = static_cast<unsigned long long>(status.st_size);
    stamp.modified =
        static_cast<long long>(status.st_mtim.tv_sec) * 1000000000LL + status.st_mtim.tv_nsec;
    stamp.id = static_cast<unsigned long long>(status.st_ino);
    stamp.isDirectory = S_ISDIR(status.st_mode);
    stamp.isLink = S_ISLNK(status.st_mode);
  }
  return 0;
}

}  // namespace droplet
