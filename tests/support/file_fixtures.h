#pragma once

#include <filesystem>
#include <string>
#include <vector>

// What tests of files need beyond TempFolder: attributes set the platform's way, and a probe
// for platforms that do not honour the read-only attribute for the current user.

namespace droplet::testing {

// Creates a hidden file in `folder` and returns its name: a dot name on POSIX, the hidden
// attribute on Windows.
std::string MakeHiddenFile(const std::filesystem::path& folder, const std::string& baseName,
                           const std::string& bytes = "hidden");

// Creates a hidden folder in `folder` and returns its name.
std::string MakeHiddenFolder(const std::filesystem::path& folder, const std::string& baseName);

// Clears every write permission (the read-only attribute on Windows).
void MakeReadOnly(const std::filesystem::path& path);

// Makes `link` a symbolic link to the folder `target`; false where the platform cannot (Wine
// without support for them, Windows without the right to make them).
bool MakeFolderLink(const std::filesystem::path& target, const std::filesystem::path& link);

// A folder on another file system than the temporary folder, where a rename from there is
// refused and a copy is needed (a tmpfs on Linux, the same seen through Wine's Z: drive); empty
// where there is none.
std::filesystem::path OtherFileSystemFolder();

// True where copying over a read-only file succeeds although it should not: Wine running as
// root maps the attribute to permission bits, which root ignores. Never true on POSIX, where
// the service refuses such a target itself.
bool ReadOnlyTargetsIgnored();

}  // namespace droplet::testing
