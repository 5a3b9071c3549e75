#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "common/platform.h"
#include "common/quoting.h"
#include "files/program_search.h"

namespace droplet {
namespace {

bool IsExecutableFile(const std::string& path) {
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
         ::access(path.c_str(), X_OK) == 0;
}

std::string Join(const std::string& folder, const std::string& name) {
  return folder.empty() || folder.back() == '/' ? folder + name : folder + "/" + name;
}

}  // namespace

ProgramSearch FindProgram(const std::string& name, const std::string& programFolder) {
  ProgramSearch search;
  search.searched.push_back(programFolder);
  if (IsExecutableFile(Join(programFolder, name))) {
    search.found = Join(programFolder, name);
    return search;
  }
  const char* path = std::getenv("PATH");
  const std::string folders = path != nullptr ? path : "";
  size_t start = 0;
  while (start <= folders.size()) {
    size_t end = folders.find(':', start);
    if (end == std::string::npos) end = folders.size();
    // An empty entry is the current folder, as the shell reads it.
    const std::string folder = end == start ? "." : folders.substr(start, end - start);
    search.searched.push_back(folder);
    if (IsExecutableFile(Join(folder, name))) {
      search.found = Join(folder, name);
      return search;
    }
    start = end + 1;
  }
  return search;
}

std::string ProgramInvocation(const std::string& name, const std::string& programFolder) {
  const std::string beside = Join(programFolder, name);
  return IsExecutableFile(beside) ? QuoteForPosixShell(beside) : name;
}

std::string ProgramCommandLine(const std::string& name, const std::string& programFolder,
                               const std::string& arguments) {
  return InterpreterPrefix() + ProgramInvocation(name, programFolder) + arguments;
}

}  // namespace droplet
