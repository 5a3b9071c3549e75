#include <vector>

#include "common/failure.h"
#include "common/platform.h"
#include "files/file_operations.h"
#include "files/file_system.h"

namespace droplet {

namespace {

constexpr char kSource[] = "CleanAllPath";

// Deletes the files of the open folder that the pass takes: ordinary files, read-only ones
// included, links to anything, and with `withHidden` the hidden ones too. System files stay.
void DeleteFiles(const HeldFolder& folder, bool withHidden) {
  const FindResult found = ListHeldFolder(folder);
  ThrowIfFailed(found.error, kSource);
  for (const DirEntry& entry : found.entries) {
    if (entry.isDirectory || entry.isSystem || (entry.isHidden && !withHidden)) continue;
    ThrowIfFailed(DeleteEntryAt(folder, entry.name), kSource);
  }
}

void Clean(const HeldFolder& folder) {
  DeleteFiles(folder, false);
  DeleteFiles(folder, true);

  // Whatever is left and is neither hidden nor system counts as a subfolder. The names are
  // collected first; the recursion starts after the enumeration has ended.
  const FindResult found = ListHeldFolder(folder);
  ThrowIfFailed(found.error, kSource);
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
      ThrowIfFailed(OpenSubfolderNoFollow(folder, entry.name, child, isLink), kSource);
      if (!isLink) {
        Clean(child);
        child.Close();
        ThrowIfFailed(RemoveFolderAt(folder, entry.name), kSource);
        continue;
      }
    }
    ThrowIfFailed(DeleteEntryAt(folder, entry.name), kSource);
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
    ThrowIfFailed(error, kSource);
  }
  Clean(held);
  return CleanOutcome::kEmptied;
}

}  // namespace droplet
