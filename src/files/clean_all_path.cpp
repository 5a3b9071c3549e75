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

// Deletes the files of the open folder that the pass takes: ordinary files, read-only ones
// included, links to anything, and with `withHidden` the hidden ones too. System files stay.
void DeleteFiles(const HeldFolder& folder, bool withHidden) {
  const FindResult found = ListHeldFolder(folder);
  Check(found.error);
  for (const DirEntry& entry : found.entries) {
    if (entry.isDirectory || entry.isSystem || (entry.isHidden && !withHidden)) continue;
    Check(DeleteEntryAt(folder, entry.name));
  }
}

void Clean(const HeldFolder& folder) {
  DeleteFiles(folder, false);
  DeleteFiles(folder, true);

  // Whatever is left and is neither hidden nor system counts as a subfolder. The names are
  // collected first; the recursion starts after the enumeration has ended.
  const FindResult found = ListHeldFolder(folder);
  Check(found.error);
  std::vector<DirEntry> subfolders;
  for (const DirEntry& entry : found.entries) {
    if (entry.isHidden || entry.isSystem) continue;
    subfolders.push_back(entry);
  }
  for (const DirEntry& entry : subfolders) {
    // A linked folder is removed as a link: what it points to is not ours to empty. A folder
    // swapped for a link since the listing fails to open as a folder and goes the same way.
    bool isLink = entry.isLink;
    if (!isLink) {
      HeldFolder child;
      Check(OpenSubfolderNoFollow(folder, entry.name, child, isLink));
      if (!isLink) {
        Clean(child);
        child.Close();
        Check(RemoveFolderAt(folder, entry.name));
        continue;
      }
    }
    Check(DeleteEntryAt(folder, entry.name));
  }
}

}  // namespace

CleanOutcome CleanAllPath(const std::string& folder) {
  // Empty text names no folder; cleaning the separator alone would mean the root.
  if (folder.empty()) return CleanOutcome::kEmptied;
  std::string path = folder;
  // The folder is opened by its own name, so that a link named like it is seen as a link.
  while (path.size() > 1 && path.back() == Sep().back() && path[path.size() - 2] != ':') {
    path.pop_back();
  }
  HeldFolder held;
  bool isLink = false;
  const long error = OpenFolderNoFollow(path, held, isLink);
  if (isLink) return CleanOutcome::kFolderIsLink;
  if (error != 0) {
    // A folder that is not there has nothing to empty.
    if (IsNothingThereError(error)) return CleanOutcome::kEmptied;
    Fail(error);
  }
  Clean(held);
  return CleanOutcome::kEmptied;
}

}  // namespace droplet
