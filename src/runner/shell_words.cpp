#include "runner/shell_words.h"

#include <algorithm>
#include <array>

namespace droplet {
namespace {

bool IsPlain(char c) {
  if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
  switch (c) {
    case '_':
    case '-':
    case '.':
    case '/':
    case ',':
    case ':':
    case '+':
    case '@':
    case '%':
    case '^':
    case '=':
      return true;
    default:
      return false;
  }
}

// Names the shell runs itself, or reads as syntax, whatever lies on the search path: the
// keywords and built-ins of dash and bash, either of which may be /bin/sh.
constexpr auto kShellNames = std::to_array<std::string_view>({
    "!",      "{",       "}",        "[[",       "]]",        ".",        ":",       "[",
    "alias",  "bg",      "bind",     "break",    "builtin",   "caller",   "case",    "cd",
    "chdir",  "command", "compgen",  "complete", "compopt",   "continue", "coproc",  "declare",
    "dirs",   "disown",  "do",       "done",     "echo",      "elif",     "else",    "enable",
    "esac",   "eval",    "exec",     "exit",     "export",    "false",    "fc",      "fg",
    "fi",     "for",     "function", "getopts",  "hash",      "help",     "history", "if",
    "in",     "jobs",    "kill",     "let",      "local",     "logout",   "mapfile", "popd",
    "printf", "pushd",   "pwd",      "read",     "readarray", "readonly", "return",  "select",
    "set",    "shift",   "shopt",    "source",   "suspend",   "test",     "then",    "time",
    "times",  "trap",    "true",     "type",     "typeset",   "ulimit",   "umask",   "unalias",
    "unset",  "until",   "wait",     "while",
});

bool IsShellName(std::string_view word) {
  return std::find(kShellNames.begin(), kShellNames.end(), word) != kShellNames.end();
}

}  // namespace

std::optional<std::vector<std::string>> PlainShellWords(std::string_view line) {
  std::vector<std::string> words;
  bool firstHasEquals = false;
  size_t at = 0;
  while (at < line.size()) {
    if (line[at] == ' ' || line[at] == '\t') {
      ++at;
      continue;
    }
    std::string word;
    bool hadEquals = false;
    while (at < line.size() && line[at] != ' ' && line[at] != '\t') {
      const char c = line[at];
      if (c == '\'') {
        const size_t close = line.find('\'', at + 1);
        if (close == std::string_view::npos) return std::nullopt;
        word.append(line.substr(at + 1, close - at - 1));
        at = close + 1;
      } else if (IsPlain(c)) {
        hadEquals = hadEquals || c == '=';
        word.push_back(c);
        ++at;
      } else {
        return std::nullopt;
      }
    }
    if (words.empty()) firstHasEquals = hadEquals;
    words.push_back(std::move(word));
  }
  if (words.empty() || firstHasEquals) return std::nullopt;
  const std::string& program = words.front();
  if (program.empty() || (program.find('/') == std::string::npos && IsShellName(program))) {
    return std::nullopt;
  }
  return words;
}

}  // namespace droplet
