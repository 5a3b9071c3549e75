#pragma once

#include <memory>
#include <string>

namespace droplet {

// Opens an item (file or folder) with the program the desktop associates with it.
class DocumentOpener {
 public:
  virtual ~DocumentOpener() = default;
  // Returns false when the desktop refuses: the item does not exist, or nothing can open it.
  virtual bool Open(const std::string& target, const std::string& parameters,
                    const std::string& workingFolder) = 0;
};

// The platform's opener: ShellExecute "open" on Windows; on POSIX xdg-open, started detached
// after the target was found to exist.
std::unique_ptr<DocumentOpener> MakeSystemDocumentOpener();

}  // namespace droplet
