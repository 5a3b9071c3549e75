#pragma once

#include <string>

namespace droplet {

// 'text' for /bin/sh: every byte literal; an embedded ' becomes '\''.
std::string QuoteForPosixShell(const std::string& text);

// "text" for cmd.exe. Windows file names cannot hold a double quote, so none is escaped.
std::string QuoteForCmd(const std::string& text);

}  // namespace droplet
