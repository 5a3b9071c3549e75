#include <limits.h>
#include <unistd.h>

#include <string>

#include "common/platform.h"
#include "common/quoting.h"

namespace droplet {

const PathStyle kNativePathStyle = kPosixPathStyle;

std::string Sep() {
  return "/";
}

std::string ProgramFolder() {
  std::string buffer(PATH_MAX, '\0');
  const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
  if (length <= 0) return ".";
  buffer.resize(static_cast<size_t>(length));
  const auto slash = buffer.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return buffer.substr(0, slash);
}

std::string QuoteForInterpreter(const std::string& argument) {
  return QuoteForPosixShell(argument);
}

std::string InterpreterPrefix() {
  return "";
}

int InterpreterNotFoundExit() {
  return 127;
}

}  // namespace droplet
