#include <unistd.h>

#include <fstream>
#include <sstream>

#include "support/workflow_rig.h"

// The parts of the rig that only POSIX has: the search path as the shell sees it, scripts, and
// the process table under /proc.

namespace droplet::testing {

namespace fs = std::filesystem;

void WriteScript(const fs::path& path, const std::string& body) {
  WriteFile(path, "#!/bin/sh\n" + body);
  fs::permissions(path, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
}

int CountOpenDescriptors() {
  int count = 0;
  for (const auto& entry : fs::directory_iterator("/proc/self/fd")) {
    (void)entry;
    ++count;
  }
  return count;
}

int CountChildren() {
  const std::string self = std::to_string(::getpid());
  int count = 0;
  for (const auto& entry : fs::directory_iterator("/proc")) {
    const std::string name = entry.path().filename().string();
    if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::ifstream stat(entry.path() / "stat");
    std::string line;
    if (!std::getline(stat, line)) continue;
    // pid (comm) state ppid ...: the command may hold blanks and parentheses.
    const auto close = line.rfind(')');
    if (close == std::string::npos) continue;
    std::istringstream rest(line.substr(close + 1));
    std::string state;
    std::string parent;
    rest >> state >> parent;
    if (parent == self) ++count;
  }
  return count;
}

}  // namespace droplet::testing
