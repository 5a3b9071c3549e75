#include "common/quoting.h"

namespace droplet {

std::string QuoteForPosixShell(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  quoted += '\'';
  return quoted;
}

std::string QuoteForCmd(const std::string& text) { return "\"" + text + "\""; }

}  // namespace droplet
