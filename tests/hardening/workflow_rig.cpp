#include "workflow_rig.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <system_error>

namespace droplet::testing {

namespace fs = std::filesystem;

bool RecordingOpener::Open(const std::string& target, const std::string&, const std::string&) {
  opened.push_back(target);
  std::error_code error;
  return fs::exists(PathFromUtf8(target), error);
}

std::map<std::string, std::string> Snapshot(const fs::path& root) {
  std::map<std::string, std::string> entries;
  std::error_code error;
  for (auto it = fs::recursive_directory_iterator(root, error);
       !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
    const std::string name = Utf8(fs::relative(it->path(), root));
    entries[name] = it->is_directory() ? "<folder>" : ReadFile(it->path());
  }
  return entries;
}

std::vector<std::string> Names(const fs::path& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (auto it = fs::directory_iterator(folder, error); !error && it != fs::directory_iterator();
       it.increment(error)) {
    names.push_back(Utf8(it->path().filename()));
  }
  std::sort(names.begin(), names.end());
  return names;
}

CurrentFolderScope::CurrentFolderScope(const fs::path& folder) : previous_(fs::current_path()) {
  fs::current_path(folder);
}

CurrentFolderScope::~CurrentFolderScope() {
  std::error_code error;
  fs::current_path(previous_, error);
}

PathPrefixScope::PathPrefixScope(const fs::path& folder) {
  const char* path = std::getenv("PATH");
  previous_ = path != nullptr ? path : "/usr/bin:/bin";
  const std::string updated = folder.string() + ":" + previous_;
  ::setenv("PATH", updated.c_str(), 1);
}

PathPrefixScope::~PathPrefixScope() {
  ::setenv("PATH", previous_.c_str(), 1);
}

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

std::string ConverterResultName(const std::string& pdfName, const std::string& extension) {
  const auto n = pdfName.size();
  if (n >= 4 &&
      (pdfName.compare(n - 4, 4, ".pdf") == 0 || pdfName.compare(n - 4, 4, ".PDF") == 0)) {
    return pdfName.substr(0, n - 4) + extension;
  }
  return pdfName + extension;
}

WorkflowRig::WorkflowRig(const Deliverable& deliverable)
    : window(deliverable, desktop, opener, program.str()) {}

bool WorkflowRig::Drop(const std::string& path) {
  const DragData data{true, {path}};
  window.FormOLEDragOver(data, kDropEffectCopy);
  try {
    window.FormOLEDragDrop(data);
  } catch (const ProgramEnded&) {
    return true;
  }
  return false;
}

}  // namespace droplet::testing
