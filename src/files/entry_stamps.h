#pragma once

#include <map>
#include <string>
#include <vector>

// What a folder holds, entry by entry, stamped so that a later look can tell which entries were
// made or changed in between: the run uses it to know which files its converter wrote.
// One implementation per platform (entry_stamps_posix.cpp, entry_stamps_win32.cpp).

namespace droplet {

struct EntryStamp {
  unsigned long long size = 0;
  long long modified = 0;     // last write, in the platform's own units
  unsigned long long id = 0;  // the file's identity where the platform gives one cheaply
  bool isDirectory = false;
  bool isLink = false;  // a symbolic link or reparse point, not followed
  bool operator==(const EntryStamp&) const = default;
};

// Entry names directly inside a folder ("." and ".." left out) with their stamps.
using FolderStamps = std::map<std::string, EntryStamp>;

// Stamps the entries of `folder` without following any link. Returns 0, or the system's code
// when the folder cannot be read (a missing folder gives its code too).
long StampFolder(const std::string& folder, FolderStamps& stamps);

// The plain files of `after` that are not in `before` or whose stamp changed, in name order:
// what was written in between. Folders and links are left out.
std::vector<std::string> WrittenSince(const FolderStamps& before, const FolderStamps& after);

}  // namespace droplet
