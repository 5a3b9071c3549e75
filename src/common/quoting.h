#pragma once

#include <string>

namespace droplet {

// 'text' for /bin/sh: every byte literal; an embedded ' becomes '\''.
std::string QuoteForPosixShell(const std::string& text);

// "text" for cmd.exe, reaching the program as one argument with exactly its bytes: each % stands
// outside the quotes (cmd would expand %NAME% inside them) and backslashes before a closing quote
// are doubled. Windows file names cannot hold a double quote, so none is escaped.
std::string QuoteForCmd(const std::string& text);

}  // namespace droplet
