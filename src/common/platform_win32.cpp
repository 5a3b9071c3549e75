#include <windows.h>

#include <string>

#include "common/platform.h"
#include "common/platform_win32.h"
#include "common/quoting.h"
#include "common/text_win32.h"

namespace droplet {

const PathStyle kNativePathStyle = kWindowsPathStyle;

std::string Sep() {
  return "\\";
}

std::string ProgramFolder() {
  const std::string path = ProgramFilePath();
  const auto slash = path.rfind('\\');
  if (slash == std::string::npos) return ".";
  // A drive's root keeps its backslash ("C:\"), any other folder loses it.
  const bool isDriveRoot = slash == 2 && path[1] == ':';
  return path.substr(0, isDriveRoot ? slash + 1 : slash);
}

std::string ProgramFilePath() {
  // The system cuts the path to the buffer and says so only by filling it: a full buffer is
  // tried again twice as large.
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return {};
    if (length < buffer.size()) {
      buffer.resize(length);
      return FromWide(buffer);
    }
    buffer.resize(buffer.size() * 2);
  }
}

std::string EnvironmentVariable(const std::string& name) {
  const std::wstring wideName = ToWide(name);
  // The size asked for includes the final zero; the length read does not. A value that grew in
  // between is read again at its new size.
  DWORD size = ::GetEnvironmentVariableW(wideName.c_str(), nullptr, 0);
  std::wstring value;
  while (size > 0) {
    value.resize(size);
    const DWORD length = ::GetEnvironmentVariableW(wideName.c_str(), value.data(), size);
    if (length < size) {
      value.resize(length);
      return FromWide(value);
    }
    size = length;
  }
  return {};
}

std::string QuoteForInterpreter(const std::string& argument) {
  return QuoteForCmd(argument);
}

std::string InterpreterPrefix() {
  return "cmd /c ";
}

int InterpreterNotFoundExit() {
  return 9009;
}

}  // namespace droplet
