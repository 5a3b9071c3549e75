#include <windows.h>

#include <string>
#include <vector>

#include "common/platform.h"
#include "common/quoting.h"
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

std::vector<std::string> Extensions() {
  std::vector<std::string> extensions = Split(EnvironmentVariable("PATHEXT"));
  if (extensions.empty()) extensions = {".COM", ".EXE", ".BAT", ".CMD"};
  return extensions;
}

// `name` in `folder` with the first of `extensions` that names a file, or empty text.
std::string FileIn(const std::string& folder, const std::string& name,
                   const std::vector<std::string>& extensions) {
  const std::string base =
      folder.empty() || folder.back() == '\\' ? folder + name : folder + "\\" + name;
  for (const std::string& extension : extensions) {
    if (IsFile(base + extension)) return base + extension;
  }
  return {};
}

}  // namespace

ProgramSearch FindProgram(const std::string& name, const std::string& programFolder) {
  ProgramSearch search;
  const std::vector<std::string> extensions = Extensions();
  std::vector<std::string> folders = {programFolder, CurrentFolder()};
  for (const std::string& folder : Split(EnvironmentVariable("PATH"))) folders.push_back(folder);
  for (const std::string& folder : folders) {
    search.searched.push_back(folder);
    search.found = FileIn(folder, name, extensions);
    if (!search.found.empty()) return search;
  }
  return search;
}

std::string ProgramInvocation(const std::string& name, const std::string& programFolder) {
  const std::string beside = FileIn(programFolder, name, Extensions());
  return beside.empty() ? name : QuoteForCmd(beside);
}

std::string ProgramCommandLine(const std::string& name, const std::string& programFolder,
                               const std::string& arguments) {
  const std::string program = ProgramInvocation(name, programFolder);
  // A line after /c that begins with a quote loses its first and its last quote, unless it
  // holds just one quoted program name: one more pair around the whole line is what goes.
  if (program.front() == '"') return InterpreterPrefix() + "\"" + program + arguments + "\"";
  return InterpreterPrefix() + program + arguments;
}

}  // namespace droplet
