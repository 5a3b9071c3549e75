#include "files/file_operations.h"
#include "files/file_system.h"

namespace droplet {

std::string GetShortFileName(const std::string& path) {
  return ShortPathName(path);
}

}  // namespace droplet
