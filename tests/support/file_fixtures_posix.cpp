#include <sys/stat.h>
#include <unistd.h>

#include "support/file_fixtures.h"
#include "support/temp_folder.h"

namespace droplet::testing {

namespace fs = std::filesystem;

std::string MakeHiddenFile(const fs::path& folder, const std::string& baseName,
                           const std::string& bytes) {
  const std::string name = "." + baseName;
  WriteFile(folder / PathFromUtf8(name), bytes);
  return name;
}

std::string MakeHiddenFolder(const fs::path& folder, const std::string& baseName) {
  const std::string name = "." + baseName;
  fs::create_directory(folder / PathFromUtf8(name));
  return name;
}

void MakeReadOnly(const fs::path& path) {
  fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
}

bool MakeFolderLink(const fs::path& target, const fs::path& link) {
  std::error_code error;
  fs::create_directory_symlink(target, link, error);
  return !error;
}

fs::path OtherFileSystemFolder() {
  const fs::path shared = "/dev/shm";
  struct stat there;
  struct stat temporary;
  if (::stat(shared.c_str(), &there) != 0 || !S_ISDIR(there.st_mode) ||
      ::access(shared.c_str(), W_OK) != 0 ||
      ::stat(fs::temp_directory_path().c_str(), &temporary) != 0 ||
      there.st_dev == temporary.st_dev) {
    return {};
  }
  return shared;
}

bool ReadOnlyTargetsIgnored() {
  return false;
}

}  // namespace droplet::testing
