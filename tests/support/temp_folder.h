#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace droplet::testing {

// UTF-8 text <-> std::filesystem::path, the same on every platform.
std::string Utf8(const std::filesystem::path& path);
std::filesystem::path PathFromUtf8(const std::string& utf8);

// A new empty folder under the system's temporary folder (or under `parent`), removed with
// everything in it when the object goes (read-only entries included).
class TempFolder {
 public:
  TempFolder();
  explicit TempFolder(const std::filesystem::path& parent);
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // The folder as UTF-8 text, without a final separator.
  std::string str() const { return Utf8(path_); }
  // The folder joined with `name` by the platform's separator.
  std::string operator/(const std::string& name) const;

 private:
  std::filesystem::path path_;
};

// The process's current folder is `folder` while the object lives.
class CurrentFolderScope {
 public:
  explicit CurrentFolderScope(const std::filesystem::path& folder);
  ~CurrentFolderScope();
  CurrentFolderScope(const CurrentFolderScope&) = delete;
  CurrentFolderScope& operator=(const CurrentFolderScope&) = delete;

 private:
  std::filesystem::path previous_;
};

// The names in `folder` (not recursive), sorted; none when it does not exist.
std::vector<std::string> NamesIn(const std::filesystem::path& folder);

void WriteFile(const std::filesystem::path& path, const std::string& bytes);
std::string ReadFile(const std::filesystem::path& path);

}  // namespace droplet::testing
