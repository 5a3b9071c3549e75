#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <time.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <string>

#include "common/descriptor_posix.h"
#include "files/file_system.h"
#include "files/wildcard.h"

namespace droplet {

namespace {

// Splits "folder/pattern" into the folder to open and the pattern of its last part.
void SplitPattern(const std::string& pathPattern, std::string& folder, std::string& pattern) {
  const size_t slash = pathPattern.rfind('/');
  if (slash == std::string::npos) {
    folder = ".";
    pattern = pathPattern;
  } else {
    folder = slash == 0 ? std::string("/") : pathPattern.substr(0, slash);
    pattern = pathPattern.substr(slash + 1);
  }
}

bool OwnerCannotWrite(const struct stat& status) {
  return (status.st_mode & S_IWUSR) == 0;
}

long CopyContents(int from, int to) {
  char buffer[64 * 1024];
  for (;;) {
    const ssize_t got = ReadRetrying(from, buffer, sizeof buffer);
    if (got == 0) return 0;
    if (got < 0) return errno;
    if (const int error = WriteAll(to, buffer, static_cast<size_t>(got)); error != 0) return error;
  }
}

// Creates a new file named ".droplet-copy-..." in `folder` (empty text or ending in a slash)
// and returns its descriptor, or -1 with errno set. The name is new: an entry of that name,
// a link included, is never opened.
int CreateTemporaryBeside(const std::string& folder, std::string& path) {
  static std::atomic<unsigned> serial{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    struct timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const unsigned long long stamp = static_cast<unsigned long long>(now.tv_nsec) ^
                                     (static_cast<unsigned long long>(::getpid()) << 32) ^
                                     (static_cast<unsigned long long>(++serial) << 20);
    path = folder + ".droplet-copy-" + std::to_string(stamp);
    // open applies the umask to 0644; no group or other write, no execute, no special bits.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

// Calls `visit` with each entry of `dir`, then closes it. Returns the error that ended the
// listing early, or 0 when every entry was read.
template <typename Visit>
long VisitEntries(DIR* dir, Visit visit) {
  long error = 0;
  for (;;) {
    errno = 0;
    const dirent* item = ::readdir(dir);
    if (item == nullptr) {
      error = errno;
      break;
    }
    visit(*item);
  }
  ::closedir(dir);
  return error;
}

// Why a file may not be put at `target`, or 0: a folder is there, or a read-only file (refused
// for every user, root included, as on Windows). A link there is replaced, never followed.
long RefusedTarget(const std::string& target) {
  struct stat status;
  if (::lstat(target.c_str(), &status) != 0) return errno == ENOENT ? 0 : errno;
  if (S_ISDIR(status.st_mode)) return EISDIR;
  if (!S_ISLNK(status.st_mode) && OwnerCannotWrite(status)) return EACCES;
  return 0;
}

// The process's umask, which Linux shows in /proc/self/status: asking umask() itself would
// change it for a moment under the other threads. -1 where the system does not show it.
int CurrentUmask() {
  static const int mask = [] {
    Descriptor status(::open("/proc/self/status", O_RDONLY | O_CLOEXEC));
    if (status.get() < 0) return -1;
    std::string text;
    char buffer[4096];
    for (ssize_t got; (got = ReadRetrying(status.get(), buffer, sizeof buffer)) > 0;) {
      text.append(buffer, static_cast<size_t>(got));
    }
    const size_t at = text.find("\nUmask:");
    if (at == std::string::npos) return -1;
    return static_cast<int>(std::strtol(text.c_str() + at + 8, nullptr, 8));
  }();
  return mask;
}

}  // namespace

FindResult FindEntries(const std::string& pathPattern, bool withReadOnly) {
  FindResult result;
  std::string folder;
  std::string pattern;
  SplitPattern(pathPattern, folder, pattern);

  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) {
    if (errno != ENOENT && errno != ENOTDIR) result.error = errno;
    return result;
  }
  const int dirFd = ::dirfd(dir);
  result.error = VisitEntries(dir, [&](const dirent& item) {
    const std::string name = item.d_name;
    if (!MatchesWildcard(pattern, name)) return;
    DirEntry entry;
    entry.name = name;
    entry.isHidden = name[0] == '.' && name != "." && name != "..";
    if (withReadOnly || item.d_type == DT_UNKNOWN) {
      struct stat status;
      // An entry that went away between the two calls is simply not there any more.
      if (::fstatat(dirFd, item.d_name, &status, AT_SYMLINK_NOFOLLOW) != 0) return;
      entry.isDirectory = S_ISDIR(status.st_mode);
      entry.isLink = S_ISLNK(status.st_mode);
      entry.isReadOnly = withReadOnly && !entry.isLink && OwnerCannotWrite(status);
    } else {
      entry.isDirectory = item.d_type == DT_DIR;
      entry.isLink = item.d_type == DT_LNK;
    }
    result.entries.push_back(std::move(entry));
  });
  return result;
}

bool QueryEntry(const std::string& path, DirEntry& entry) {
  struct stat status;
  if (::stat(path.c_str(), &status) != 0) return false;
  const size_t slash = path.rfind('/');
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  entry.isDirectory = S_ISDIR(status.st_mode);
  entry.isHidden = !name.empty() && name[0] == '.';
  entry.isReadOnly = OwnerCannotWrite(status);
  entry.isSystem = false;
  entry.isLink = false;
  return true;
}

bool IsLink(const std::string& path) {
  struct stat status;
  return ::lstat(path.c_str(), &status) == 0 && S_ISLNK(status.st_mode);
}

std::string ShortPathName(const std::string& path) {
  struct stat status;
  if (path.empty() || ::lstat(path.c_str(), &status) != 0) return {};
  return path;
}

long CopyFileReplacing(const std::string& source, const std::string& target) {
  Descriptor in(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
  if (in.get() < 0) return errno;
  struct stat sourceStatus;
  if (::fstat(in.get(), &sourceStatus) != 0) return errno;
  if (S_ISDIR(sourceStatus.st_mode)) return EISDIR;

  if (const long refused = RefusedTarget(target); refused != 0) return refused;

  // The copy goes to a new temporary file beside the target and replaces it only when complete,
  // so a failure leaves neither a half file nor a damaged old target, and a link at the
  // target's name is replaced, never written through. The copy is a plain document, whatever
  // the source's bits: read and write for the owner, read for others as the umask allows.
  const size_t slash = target.rfind('/');
  const std::string folder =
      slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
  std::string temporary;
  Descriptor out(CreateTemporaryBeside(folder, temporary));
  if (out.get() < 0) return errno;

  long error = CopyContents(in.get(), out.get());
  if (!out.Close() && error == 0) error = errno;
  if (error == 0 && ::rename(temporary.c_str(), target.c_str()) != 0) error = errno;
  if (error != 0) ::unlink(temporary.c_str());
  return error;
}

long RenameFileReplacing(const std::string& source, const std::string& target) {
  // Opened without following a link and without waiting on a pipe: only a plain file that has
  // no other name moves, so that nothing of someone else's changes its place or its bits.
  Descriptor in(::open(source.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  if (in.get() < 0) return errno;
  struct stat sourceStatus;
  if (::fstat(in.get(), &sourceStatus) != 0) return errno;
  if (!S_ISREG(sourceStatus.st_mode) || sourceStatus.st_nlink != 1) return EPERM;

  if (const long refused = RefusedTarget(target); refused != 0) return refused;

  // The bits a copy would have: no execute or special bit, nobody else may write.
  const mode_t bits = sourceStatus.st_mode & 07777;
  const int mask = CurrentUmask();
  const mode_t plain = mask >= 0 ? 0644 & ~static_cast<mode_t>(mask) : bits & 0644;
  if (bits != plain && ::fchmod(in.get(), plain) != 0) return errno;
  if (::rename(source.c_str(), target.c_str()) == 0) return 0;
  const long error = errno;
  if (bits != plain) ::fchmod(in.get(), bits);
  return error;
}

long DeleteOneFile(const std::string& path) {
  struct stat status;
  if (::lstat(path.c_str(), &status) != 0) return errno;
  if (S_ISDIR(status.st_mode)) return EISDIR;
  // Refused for every user, root included, as Windows refuses a read-only file.
  if (!S_ISLNK(status.st_mode) && OwnerCannotWrite(status)) return EACCES;
  return ::unlink(path.c_str()) == 0 ? 0 : errno;
}

long ForceDeleteFile(const std::string& path) {
  // unlink never follows a link and refuses a folder (EISDIR) by itself.
  return ::unlink(path.c_str()) == 0 ? 0 : errno;
}

long SetNormalAttributes(const std::string& path) {
  struct stat status;
  if (::lstat(path.c_str(), &status) != 0) return errno;
  // chmod would reach through a link to what it points to: a link has no bits of its own.
  if (S_ISLNK(status.st_mode) || !OwnerCannotWrite(status)) return 0;
  return ::chmod(path.c_str(), (status.st_mode & 07777) | S_IWUSR) == 0 ? 0 : errno;
}

long CreateOneFolder(const std::string& path) {
  // rwxr-xr-x at most, as the umask allows: nobody else may add or remove entries.
  return ::mkdir(path.c_str(), 0755) == 0 ? 0 : errno;
}

long RemoveEmptyFolder(const std::string& path) {
  return ::rmdir(path.c_str()) == 0 ? 0 : errno;
}

long QueryFileSize(const std::string& path, unsigned long long& size) {
  struct stat status;
  if (::stat(path.c_str(), &status) != 0) return errno;
  size = static_cast<unsigned long long>(status.st_size);
  return 0;
}

long ReadFilePart(const std::string& path, unsigned long long offset, size_t maxBytes,
                  std::string& bytes) {
  bytes.clear();
  Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (file.get() < 0) return errno;
  bytes.resize(maxBytes);
  size_t got = 0;
  while (got < maxBytes) {
    const ssize_t count =
        ::pread(file.get(), bytes.data() + got, maxBytes - got, static_cast<off_t>(offset + got));
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) {
      const long error = errno;
      bytes.clear();
      return error;
    }
    if (count == 0) break;
    got += static_cast<size_t>(count);
  }
  bytes.resize(got);
  return 0;
}

struct HeldFolderAccess {
  static int Fd(const HeldFolder& folder) { return static_cast<int>(folder.handle_); }
  static void Set(HeldFolder& folder, int fd) {
    folder.Close();
    folder.handle_ = fd;
  }
};

void HeldFolder::CloseHandle(long long handle) {
  ::close(static_cast<int>(handle));
}

namespace {

// openat that never follows a link in the last part: a link fails with ELOOP (or ENOTDIR for
// some file systems), which fstatat then tells apart from a real failure.
long OpenFolderAt(int parent, const char* name, HeldFolder& folder, bool& isLink) {
  isLink = false;
  folder.Close();
  const int fd = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd >= 0) {
    HeldFolderAccess::Set(folder, fd);
    return 0;
  }
  const long error = errno;
  struct stat status;
  if ((error == ELOOP || error == ENOTDIR) &&
      ::fstatat(parent, name, &status, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(status.st_mode)) {
    isLink = true;
    return 0;
  }
  return error;
}

}  // namespace

long OpenFolderNoFollow(const std::string& path, HeldFolder& folder, bool& isLink) {
  return OpenFolderAt(AT_FDCWD, path.c_str(), folder, isLink);
}

long OpenSubfolderNoFollow(const HeldFolder& parent, const std::string& name, HeldFolder& folder,
                           bool& isLink) {
  return OpenFolderAt(HeldFolderAccess::Fd(parent), name.c_str(), folder, isLink);
}

FindResult ListHeldFolder(const HeldFolder& folder) {
  FindResult result;
  const int fd = HeldFolderAccess::Fd(folder);
  // fdopendir takes over the descriptor it is given: a duplicate keeps the folder's own open.
  const int listFd = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
  if (listFd < 0) {
    result.error = errno;
    return result;
  }
  DIR* dir = ::fdopendir(listFd);
  if (dir == nullptr) {
    result.error = errno;
    ::close(listFd);
    return result;
  }
  // The duplicate shares the reading position with earlier listings of the same folder.
  ::rewinddir(dir);
  result.error = VisitEntries(dir, [&](const dirent& item) {
    const std::string name = item.d_name;
    if (name == "." || name == "..") return;
    struct stat status;
    if (::fstatat(fd, item.d_name, &status, AT_SYMLINK_NOFOLLOW) != 0) return;
    DirEntry entry;
    entry.name = name;
    entry.isHidden = name[0] == '.';
    entry.isDirectory = S_ISDIR(status.st_mode);
    entry.isLink = S_ISLNK(status.st_mode);
    entry.isReadOnly = !entry.isLink && OwnerCannotWrite(status);
    result.entries.push_back(std::move(entry));
  });
  return result;
}

long DeleteEntryAt(const HeldFolder& folder, const std::string& name) {
  return ::unlinkat(HeldFolderAccess::Fd(folder), name.c_str(), 0) == 0 ? 0 : errno;
}

long RemoveFolderAt(const HeldFolder& folder, const std::string& name) {
  return ::unlinkat(HeldFolderAccess::Fd(folder), name.c_str(), AT_REMOVEDIR) == 0 ? 0 : errno;
}

bool IsNothingThereError(long code) {
  return code == ENOENT || code == ENOTDIR;
}

long AccessDeniedError() {
  return EACCES;
}

}  // namespace droplet
