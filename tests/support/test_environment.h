#pragma once

#include <filesystem>
#include <optional>
#include <string>

// The few platform facts the workflow tests need: where the converters come from, the program
// search path, and a folder that the file operations count as hidden. One implementation per
// platform (test_environment_posix.cpp, test_environment_win32.cpp).

namespace droplet::testing {

// The folder of the test converters built beside the tests (pdftotext.exe, pdftohtml.exe), or
// empty text where the real converters on the search path do the work.
std::string TestConverterFolder();

// The separator between the folders of the search path.
char SearchPathSeparator();

// The program search path (PATH) holds `value` while the object lives.
class SearchPathScope {
 public:
  explicit SearchPathScope(const std::string& value);
  ~SearchPathScope();
  SearchPathScope(const SearchPathScope&) = delete;
  SearchPathScope& operator=(const SearchPathScope&) = delete;

  static std::string Current();

 private:
  std::string previous_;
};

// The search path with `folder` in front of it.
std::string SearchPathWith(const std::string& folder);

// Creates a folder in `parent` that the folder operations treat as hidden (a dot name on POSIX,
// the hidden attribute on Windows) and returns its path.
std::filesystem::path MakeHiddenFolder(const std::filesystem::path& parent);

// The environment variable `name` holds `value` (is unset, without one) while the object lives;
// programs started meanwhile inherit it.
class EnvironmentScope {
 public:
  EnvironmentScope(std::string name, const std::optional<std::string>& value);
  ~EnvironmentScope();
  EnvironmentScope(const EnvironmentScope&) = delete;
  EnvironmentScope& operator=(const EnvironmentScope&) = delete;

 private:
  std::string name_;
  std::optional<std::string> previous_;
};

// POSIX only (test_environment_posix.cpp) from here on.

// A folder that nobody, root included, can create or delete entries in while the object lives
// (the immutable attribute of the file system). `active` is false where that is refused.
class ImmutableFolder {
 public:
  explicit ImmutableFolder(const std::filesystem::path& folder);
  ~ImmutableFolder();
  ImmutableFolder(const ImmutableFolder&) = delete;
  ImmutableFolder& operator=(const ImmutableFolder&) = delete;
  bool active = false;

 private:
  std::filesystem::path folder_;
};

}  // namespace droplet::testing
