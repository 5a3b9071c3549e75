#include "common/platform.h"
#include "files/file_operations.h"
#include "files/file_system.h"

namespace droplet {

long BringFilesInto(const std::string& sourceFolder, const std::vector<std::string>& names,
                    const std::string& targetFolder) {
  // A rename takes a moment where a copy of hundreds of pages and images takes seconds.
  std::vector<const std::string*> renamed;
  long firstError = 0;
  for (const std::string& name : names) {
    const std::string source = sourceFolder + Sep() + name;
    const std::string target = targetFolder + Sep() + name;
    if (RenameFileReplacing(source, target) == 0) {
      renamed.push_back(&name);
      continue;
    }
    // The copy's answer is the one that counts: it is today's way, and it says why it fails.
    const long error = CopyFileReplacing(source, target);
    if (firstError == 0) firstError = error;
  }
  if (firstError != 0) {
    for (const std::string* name : renamed) {
      RenameFileReplacing(targetFolder + Sep() + *name, sourceFolder + Sep() + *name);
    }
  }
  return firstError;
}

}  // namespace droplet
