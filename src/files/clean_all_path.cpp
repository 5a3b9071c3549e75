#include <vector>

#include "common/failure.h"
#include "common/platform.h"
#include "files/file_operations.h"
#include "files/file_system.h"

namespace droplet {

namespace {

[[noreturn]] void Fail(long error) {
  throw OperationFailure({error, DescribeSystemError(error), "CleanAllPath"});
}

void Check(long error) {
  if (error != 0) Fail(error);
}

bool IsDotEntry(const std::string& name) {
  return name == "." || name == "..";
}

// Deletes the files of `folder` (ending in a separator) that the pass takes: ordinary files,
// read-only ones included, and with `withHidden` the hidden ones too. System files stay.
void DeleteFiles(const std::string& folder, bool withHidden) {
  const FindResult found = FindEntries(folder + "*", false);
  Check(found.error);
  for (const DirEntry& entry : found.entries) {
    if (entry.isDirectory || entry.isSystem || (entry.isHidden && !withHidden)) continue;
    Check(ForceDeleteFile(folder + entry.name));
  }
}

void Clean(const std::string& folder) {
  DeleteFiles(folder, false);
  DeleteFiles(folder, true);

  // Whatever is left and is neither hidden nor system counts as a subfolder. The names are
  // collected first; the recursion starts after the enumeration has ended.
  const FindResult found = FindEntries(folder + "*", false);
  Check(found.error);
  std::vector<DirEntry> subfolders;
  for (const DirEntry& entry : found.entries) {
    if (entry.isHidden || entry.isSystem || IsDotEntry(entry.name)) continue;
    subfolders.push_back(entry);
  }
  for (const DirEntry& entry : subfolders) {
    const std::string path = folder + entry.name;
    // A linked folder is removed as a link: what it points to is not ours to empty.
    if (!entry.isLink) Clean(path + Sep());
    Check(RemoveEmptyFolder(path));
  }
}

}  // namespace

CleanOutcome CleanAllPath(const std::string& folder) {
  // Empty text names no folder; cleaning the separator alone would mean the root.
  if (folder.empty()) return CleanOutcome::kEmptied;
  const std::string separator = Sep();
  if (IsLink(folder.back() == separator.back() ? folder.substr(0, folder.size() - 1) : folder))
    return CleanOutcome::kFolderIsLink;
  if (folder.back() != separator.back()) {
    Clean(folder + separator);
  } else {
    Clean(folder);
  }
  return CleanOutcome::kEmptied;
}

}  // namespace droplet
