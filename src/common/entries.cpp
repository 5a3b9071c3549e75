#include "common/entries.h"

#include "common/platform.h"

namespace droplet {

long CreateMissingFolders(const std::string& folder, long (*createOne)(const std::string&)) {
  switch (KindOfEntry(folder)) {
    case EntryKind::kFolder:
      return 0;
    case EntryKind::kOther:
      return NotAFolderError();
    case EntryKind::kNothing:
      break;
  }
  // A root ("/", "C:") is there: the walk up ends at the latest on it.
  const size_t separator = folder.rfind(kNativePathStyle.separator);
  if (separator != std::string::npos && separator > 0) {
    const long error = CreateMissingFolders(folder.substr(0, separator), createOne);
    if (error != 0) return error;
  }
  const long error = createOne(folder);
  // Another program may have made it meanwhile.
  return error != 0 && KindOfEntry(folder) == EntryKind::kFolder ? 0 : error;
}

}  // namespace droplet
