#pragma once

// A model of how a quoted argument travels through `cmd /c` into a Windows program: cmd expands
// %NAME% even between double quotes, and the C runtime's argument parser reads backslashes
// before a quote as escapes. Header-only, so the fuzz targets can use it without the test rig.

#include <cstddef>
#include <optional>
#include <string>

namespace droplet::testing {

// What the C runtime of a Windows program makes of `line` as its only argument; nothing when
// the line holds more than one argument.
inline std::optional<std::string> ParseWindowsArgument(const std::string& line) {
  std::string argument;
  bool quoted = false;
  size_t i = 0;
  while (i < line.size()) {
    size_t backslashes = 0;
    while (i < line.size() && line[i] == '\\') {
      ++backslashes;
      ++i;
    }
    if (i < line.size() && line[i] == '"') {
      argument.append(backslashes / 2, '\\');
      if (backslashes % 2 == 1) {
        argument += '"';
      } else if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
        argument += '"';  // "" inside quotes: a quote of the text
        ++i;
      } else {
        quoted = !quoted;
      }
      ++i;
      continue;
    }
    argument.append(backslashes, '\\');
    if (i >= line.size()) break;
    if (!quoted && (line[i] == ' ' || line[i] == '\t')) return std::nullopt;
    argument += line[i++];
  }
  return argument;
}

// True when cmd could change `line` before the program sees it: two % with no quote between
// them (no variable name holds a quote, and cmd leaves undefined ones as they stand), one of
// cmd's own characters outside quotes, or a quote left open.
inline bool CmdWouldChange(const std::string& line) {
  bool quoted = false;
  bool seenPercent = false;
  bool quoteSincePercent = false;
  for (char c : line) {
    if (c == '"') {
      quoted = !quoted;
      quoteSincePercent = true;
    } else if (c == '%') {
      if (seenPercent && !quoteSincePercent) return true;
      seenPercent = true;
      quoteSincePercent = false;
    } else if (!quoted && std::string("&|<>^ \t()").find(c) != std::string::npos) {
      return true;
    }
  }
  return quoted;
}

}  // namespace droplet::testing
