#include "common/failure.h"
#include "files/file_operations.h"
#include "files/file_system.h"

namespace droplet {

namespace {

[[noreturn]] void Fail(long error) {
  throw OperationFailure({error, DescribeSystemError(error), "EliminaFileConAsterisco"});
}

}  // namespace

void EliminaFileConAsterisco(const std::string& folder, const std::string& pattern,
                             const std::string& keepName) {
  const FindResult found = FindEntries(folder + pattern);
  if (found.error != 0) Fail(found.error);

  for (const DirEntry& entry : found.entries) {
    if (!keepName.empty() && entry.name == keepName) continue;
    // Attributes are not cleared first: a protected match stops the deletion here.
    if (entry.isReadOnly || entry.isHidden || entry.isSystem) Fail(AccessDeniedError());
    // Folders, "." and ".." included, fail in the platform's own way.
    const long error = DeleteOneFile(folder + entry.name);
    if (error != 0) Fail(error);
  }
}

}  // namespace droplet
