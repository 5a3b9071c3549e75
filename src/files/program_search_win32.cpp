#include <windows.h>

#include <string>
#include <vector>

#include "common/platform_win32.h"
#include "common/text_win32.h"
#include "files/program_search.h"

namespace droplet {
namespace {

std::vector<std::string> Split(const std::string& list) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find(';', start);
    if (end == std::string::npos) end = list.size();
    if (end > start) parts.push_back(list.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

bool IsFile(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesW(ToWide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::string CurrentFolder() {
  const DWORD size = ::GetCurrentDirectoryW(0, nullptr);
  std::wstring folder(size, L'\0');
  folder.resize(::GetCurrentDirectoryW(size, folder.data()));
  return FromWide(folder);
}

}  // namespace

ProgramSearch FindProgram(const std::string& name, const std::string&) {
  ProgramSearch search;
  std::vector<std::string> extensions = Split(EnvironmentVariable("PATHEXT"));
  if (extensions.empty()) extensions = {".COM", ".EXE", ".BAT", ".CMD"};
  std::vector<std::string> folders = {CurrentFolder()};
  for (const std::string& folder : Split(EnvironmentVariable("PATH"))) folders.push_back(folder);
  for (const std::string& folder : folders) {
    search.searched.push_back(folder);
    const std::string base =
        folder.empty() || folder.back() == '\\' ? folder + name : folder + "\\" + name;
    for (const std::string& extension : extensions) {
      if (IsFile(base + extension)) {
        search.found = base + extension;
        return search;
      }
    }
  }
  return search;
}

std::string ProgramInvocation(const std::string& name, const std::string&) {
  return name;
}

}  // namespace droplet
