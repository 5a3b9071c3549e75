#pragma once

#include <string>

// What the bottom layer itself asks of the file system: whether two paths name one entry, what
// lies at a path, and making a folder with its missing parents. Each platform supplies the
// primitives (entries_posix.cpp, entries_win32.cpp); the walk up the parents is portable
// (entries.cpp).

namespace droplet {

// True when both paths name one existing entry, however they are spelled or linked.
bool SameEntry(const std::string& first, const std::string& second);

enum class EntryKind { kNothing, kFolder, kOther };

// What lies at `path`, followed through links; kNothing also when that cannot be told.
EntryKind KindOfEntry(const std::string& path);

// The platform's error code for a file where a folder is needed (ENOTDIR, ERROR_DIRECTORY).
long NotAFolderError();

// Creates `folder` and whatever of its parents is missing, parents first, each by `createOne`
// (which makes one folder whose parent exists: 0 or the system's error code). 0 once `folder`
// is a folder, also when it was one already; otherwise the first error, NotAFolderError() when
// something else lies in the way.
long CreateMissingFolders(const std::string& folder, long (*createOne)(const std::string&));

}  // namespace droplet
