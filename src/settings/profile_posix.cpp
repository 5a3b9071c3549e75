#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <optional>
#include <string>

#include "common/descriptor_posix.h"
#include "common/text_basics.h"
#include "settings/ini_text.h"
#include "settings/profile.h"

// Profile files on POSIX: INI text edited by ini_text.h, with the file name matched without
// regard to letter case (as on the file systems the format comes from) and every write made
// atomic (temporary file in the same folder, fsync, rename).

namespace droplet {

namespace {

struct FileName {
  std::string folder;  // the folder part, "." when the name stands alone
  std::string prefix;  // everything up to and including the last '/'
  std::string name;    // the last part
};

std::optional<FileName> Split(const std::string& file) {
  FileName parts;
  const std::size_t slash = file.rfind('/');
  if (slash == std::string::npos) {
    parts.folder = ".";
    parts.name = file;
  } else {
    parts.folder = slash == 0 ? "/" : file.substr(0, slash);
    parts.prefix = file.substr(0, slash + 1);
    parts.name = file.substr(slash + 1);
  }
  if (parts.name.empty() || parts.name == "." || parts.name == "..") return std::nullopt;
  return parts;
}

// The path under which `file` exists in its folder, with the name's letter case as on disk:
// the exact spelling when it exists, otherwise the first (in byte order) of the entries that
// differ from it only in case. The given spelling when none exists; nothing when the folder
// cannot be read.
std::optional<std::string> ResolveName(const std::string& file) {
  const auto parts = Split(file);
  if (!parts) return std::nullopt;
  struct stat status {};
  if (::lstat(file.c_str(), &status) == 0) return file;
  DIR* folder = ::opendir(parts->folder.c_str());
  if (folder == nullptr) return std::nullopt;
  std::optional<std::string> found;
  while (const dirent* entry = ::readdir(folder)) {
    const std::string name = entry->d_name;
    if (EqualIgnoringAsciiCase(name, parts->name) && (!found || name < *found)) found = name;
  }
  ::closedir(folder);
  return parts->prefix + found.value_or(parts->name);
}

enum class FileRead { kRead, kMissing, kUnreadable };

// The content of the regular file open on `fd`, at most kProfileSizeLimit bytes; a longer one,
// or one that grows past the limit while it is read, is unreadable.
FileRead ReadAll(int fd, std::string& content) {
  content.clear();
  char chunk[65536];
  for (;;) {
    const ssize_t got = ReadRetrying(fd, chunk, sizeof chunk);
    if (got == 0) return FileRead::kRead;
    if (got < 0) return FileRead::kUnreadable;
    if (content.size() + static_cast<std::size_t>(got) > kProfileSizeLimit) {
      return FileRead::kUnreadable;
    }
    content.append(chunk, static_cast<std::size_t>(got));
  }
}

// The content of `path` when it is a readable regular file (followed through links).
FileRead ReadRegularFile(const std::string& path, std::string& content) {
  // O_NONBLOCK: opening a FIFO must not wait for a writer; it is refused below anyway.
  Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
  if (fd.get() < 0) return errno == ENOENT ? FileRead::kMissing : FileRead::kUnreadable;
  struct stat status {};
  if (::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode) ||
      static_cast<unsigned long long>(status.st_size) > kProfileSizeLimit) {
    return FileRead::kUnreadable;
  }
  return ReadAll(fd.get(), content);
}

// A new file beside `target` for the replacement text, created exclusively.
int CreateTemporary(const FileName& target, mode_t mode, std::string& path) {
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    path = target.prefix + "." + target.name + "." + std::to_string(::getpid()) + "-" +
           std::to_string(counter++) + ".tmp";
    const int fd =
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, mode);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// Replaces (or creates) `path` with `bytes` so that the old content stays whole until the new
// one is safely on disk. `old` is the status of the file being replaced, if there is one. The
// new file is a document's: at most read and write for the owner and read for others, less
// the umask; a replaced file keeps those of its bits, never an execute or special one.
bool ReplaceFile(const std::string& path, const std::string& bytes,
                 const std::optional<struct stat>& old) {
  const auto parts = Split(path);
  if (!parts) return false;
  std::string temporary;
  Descriptor fd(CreateTemporary(*parts, old ? S_IRUSR | S_IWUSR : 0644, temporary));
  if (fd.get() < 0) return false;
  bool ok = true;
  if (old) {
    ok = ::fchmod(fd.get(), (old->st_mode & 0644) | S_IWUSR) == 0;
    // Keeps the owner when the caller may set it (root); otherwise the file becomes ours.
    if (ok && (old->st_uid != ::geteuid() || old->st_gid != ::getegid())) {
      [[maybe_unused]] const int ignored = ::fchown(fd.get(), old->st_uid, old->st_gid);
    }
  }
  ok = ok && WriteAll(fd.get(), bytes.data(), bytes.size()) == 0 && ::fsync(fd.get()) == 0;
  ok = fd.Close() && ok;
  ok = ok && ::rename(temporary.c_str(), path.c_str()) == 0;
  if (!ok) {
    ::unlink(temporary.c_str());
    return false;
  }
  // Makes the rename itself durable; a folder that cannot be synced changes nothing above.
  Descriptor folder(::open(parts->folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder.get() >= 0) ::fsync(folder.get());
  return true;
}

}  // namespace

ProfileReader::ProfileReader(const std::string& file) : file_(file) {
  const auto path = ResolveName(file);
  if (!path) return;
  std::string text;
  const FileRead read = ReadRegularFile(*path, text);
  unreadable_ = read == FileRead::kUnreadable;
  if (read == FileRead::kRead) text_ = std::move(text);
}

std::string ProfileReader::Read(const std::string& section, const std::string& key) const {
  return text_ ? IniRead(*text_, section, key) : std::string();
}

bool WriteProfileString(const std::string& section, const std::string& key,
                        const std::string& value, const std::string& file) {
  if (!IniNamesStorable(section, key)) return false;
  auto path = ResolveName(file);
  if (!path) return false;

  struct stat status {};
  std::optional<struct stat> old;
  if (::lstat(path->c_str(), &status) == 0) {
    // A link is replaced by a file of our own with the text read through it: whatever it
    // leads to is never written.
    const bool link = S_ISLNK(status.st_mode);
    if (link && ::stat(path->c_str(), &status) != 0) return false;
    // A read-only file stays as it is, also for a user whom the system would let write it.
    if (!S_ISREG(status.st_mode) || (status.st_mode & S_IWUSR) == 0) return false;
    if (!link) old = status;
  } else if (errno != ENOENT) {
    return false;
  }

  std::string text;
  const FileRead read = ReadRegularFile(*path, text);
  if (read == FileRead::kUnreadable) return false;
  const std::string updated = IniWrite(text, section, key, value);
  if (old && updated == text) return true;
  return ReplaceFile(*path, updated, old);
}

}  // namespace droplet
