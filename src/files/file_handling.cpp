#include "common/message_box.h"
#include "common/text_basics.h"
#include "files/file_operations.h"
#include "files/file_system.h"

namespace droplet {

std::string GetExtension(std::string_view name) {
  // A dot 2 to 5 characters from the end: extensions of 1 to 4 characters. Places count
  // characters, not bytes: a UTF-8 continuation byte belongs to the character before it.
  size_t at = name.size();
  for (int place = 1; place <= 5 && at > 0; ++place) {
    do {
      --at;
    } while (at > 0 && IsUtf8Continuation(name[at]));
    if (place >= 2 && name[at] == '.') return std::string(name.substr(at + 1));
  }
  return "Unknown";
}

std::string GetLastPathPart(std::string_view path, const PathStyle& style) {
  const size_t at = path.rfind(style.separator);
  if (at == std::string_view::npos) return {};
  return std::string(path.substr(at + 1));
}

bool CopySingleFile(const std::string& source, const std::string& target,
                    DesktopServices& desktop) {
  if (CopyFileReplacing(source, target) != 0) {
    desktop.ShowMessageBox("Errore durante la copia del file", kMbOk, kApplicationTitle);
    return false;
  }
  return true;
}

std::string GetFileName(std::string_view path, bool keepExtension, const PathStyle& style) {
  size_t start = 0;
  for (size_t at = path.size(); at > 0; --at) {
    const char c = path[at - 1];
    if (c == style.separator || (style.colonSeparates && c == ':')) {
      start = at;
      break;
    }
  }
  std::string_view name = path.substr(start);
  if (!keepExtension) {
    const size_t dot = name.rfind('.');
    if (dot != std::string_view::npos) name = name.substr(0, dot);
  }
  return std::string(name);
}

}  // namespace droplet
