#include "common/failure.h"
#include "files/file_operations.h"
#include "files/file_system.h"

namespace droplet {

namespace {

constexpr char kSource[] = "EliminaFileConAsterisco";

}  // namespace

void EliminaFileConAsterisco(const std::string& folder, const std::string& pattern,
                             const std::string& keepName) {
  const FindResult found = FindEntries(folder + pattern);
  ThrowIfFailed(found.error, kSource);

  for (const DirEntry& entry : found.entries) {
    if (!keepName.empty() && entry.name == keepName) continue;
    // Attributes are not cleared first: a protected match stops the deletion here.
    if (entry.isReadOnly || entry.isHidden || entry.isSystem) {
      ThrowIfFailed(AccessDeniedError(), kSource);
    }
    // Folders, "." and ".." included, fail in the platform's own way.
    ThrowIfFailed(DeleteOneFile(folder + entry.name), kSource);
  }
}

}  // namespace droplet
