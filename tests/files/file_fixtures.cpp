#include "file_fixtures.h"

#include <algorithm>

#include "support/temp_folder.h"

namespace droplet::testing {

std::vector<std::string> ListNames(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(Utf8(entry.path().filename()));
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace droplet::testing
