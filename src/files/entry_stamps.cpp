#include "files/entry_stamps.h"

namespace droplet {

std::vector<std::string> WrittenSince(const FolderStamps& before, const FolderStamps& after) {
  std::vector<std::string> written;
  for (const auto& [name, stamp] : after) {
    if (stamp.isDirectory || stamp.isLink) continue;
    const auto earlier = before.find(name);
    if (earlier == before.end() || !(earlier->second == stamp)) written.push_back(name);
  }
  return written;
}

}  // namespace droplet
