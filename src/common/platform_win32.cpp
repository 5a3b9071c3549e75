#include <windows.h>

#include <string>

#include "common/platform.h"
#include "common/quoting.h"
#include "common/text_win32.h"

namespace droplet {

const PathStyle kNativePathStyle = kWindowsPathStyle;

std::string Sep() {
  return "\\";
}

std::string ProgramFolder() {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return ".";
    if (length < buffer.size()) {
      buffer.resize(length);
      break;
    }
    buffer.resize(buffer.size() * 2);
  }
  const auto slash = buffer.rfind(L'\\');
  if (slash == std::wstring::npos) return ".";
  // A drive's root keeps its backslash ("C:\"), any other folder loses it.
  const bool isDriveRoot = slash == 2 && buffer[1] == L':';
  return FromWide(buffer.substr(0, isDriveRoot ? slash + 1 : slash));
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
