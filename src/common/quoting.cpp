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

namespace {

// Closes a quoted stretch. The program's argument parser reads backslashes right before a quote
// as escapes, so the ones that end the stretch are doubled to stay themselves.
void CloseQuote(std::string& quoted, size_t trailingBackslashes) {
  quoted.append(trailingBackslashes, '\\');
  quoted += '"';
}

}  // namespace

std::string QuoteForCmd(const std::string& text) {
  std::string quoted = "\"";
  size_t backslashes = 0;
  for (char c : text) {
    if (c == '%') {
      // cmd expands %NAME% even between quotes; a % standing alone outside them, with a quote
      // before the next one, can never pair up into a variable.
      CloseQuote(quoted, backslashes);
      quoted += "%\"";
      backslashes = 0;
      continue;
    }
    backslashes = c == '\\' ? backslashes + 1 : 0;
    quoted += c;
  }
  CloseQuote(quoted, backslashes);
  return quoted;
}

}  // namespace droplet
