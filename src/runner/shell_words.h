#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace droplet {

// The words of a command line that /bin/sh would run as one simple command with exactly these
// arguments: the line holds only words made of plain characters (letters, digits and
// _ - . / , : + @ % ^ =) and single-quoted parts, separated by blanks and tabs, and its first
// word is neither a shell keyword nor a built-in command nor a variable assignment. Any other
// line (empty, or with expansions, redirections, operators, escapes, double quotes, globs,
// comments, tildes) gives nothing: only the shell knows what it means.
std::optional<std::vector<std::string>> PlainShellWords(std::string_view line);

}  // namespace droplet
