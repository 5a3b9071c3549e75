#pragma once

#include <string>
#include <vector>

// Finding the console programs the droplets start (the converters and pdfinfo), as their
// command lines will find them. One implementation per platform (program_search_posix.cpp,
// program_search_win32.cpp).

namespace droplet {

struct ProgramSearch {
  std::string found;                  // the program's full path, or empty text
  std::vector<std::string> searched;  // the folders looked in, in order
};

// POSIX: the program folder first, then the folders of PATH. Windows: where the command
// interpreter looks, the current folder and then PATH, with the extensions of PATHEXT.
ProgramSearch FindProgram(const std::string& name, const std::string& programFolder);

// How a command line names the program `name`: its quoted full path when it lies in the program
// folder and the interpreter would not look there by itself (POSIX), otherwise the bare name.
std::string ProgramInvocation(const std::string& name, const std::string& programFolder);

}  // namespace droplet
