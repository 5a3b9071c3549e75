#include <unistd.h>

#include <chrono>
#include <fstream>
#include <thread>
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

// The state and the numbers after it in a /proc/PID/stat line: "pid (comm) state ppid pgrp ...",
// where the command may hold blanks and parentheses.
bool ReadStat(const fs::path& process, std::string& state, int& parent, int& group) {
  std::ifstream stat(process / "stat");
  std::string line;
  if (!std::getline(stat, line)) return false;
  const auto close = line.rfind(')');
  if (close == std::string::npos) return false;
  std::istringstream rest(line.substr(close + 1));
  return static_cast<bool>(rest >> state >> parent >> group);
}

int LivingProcessesInGroup(int group) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  for (;;) {
    int living = 0;
    for (const auto& entry : fs::directory_iterator("/proc")) {
      std::string state;
      int parent = 0;
      int processGroup = 0;
      if (ReadStat(entry.path(), state, parent, processGroup) && processGroup == group &&
          state != "Z") {
        ++living;
      }
    }
    if (living == 0 || std::chrono::steady_clock::now() > deadline) return living;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

int CountChildren() {
  const int self = static_cast<int>(::getpid());
  int count = 0;
  for (const auto& entry : fs::directory_iterator("/proc")) {
    std::string state;
    int parent = 0;
    int group = 0;
    if (ReadStat(entry.path(), state, parent, group) && parent == self) ++count;
  }
  return count;
}

}  // namespace droplet::testing
