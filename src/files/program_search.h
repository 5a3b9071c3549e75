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

// The program folder first, then where the command interpreter looks: POSIX the folders of
// PATH; Windows the current folder and then PATH, with the extensions of PATHEXT.
ProgramSearch FindProgram(const std::string& name, const std::string& programFolder);

// How a command line names the program `name`: its quoted full path when it lies in the program
// folder (the interpreter would not look there by itself), otherwise the bare name.
std::string ProgramInvocation(const std::string& name, const std::string& programFolder);

// The whole command line that runs `name`, as ProgramInvocation names it, with `arguments`
// (already quoted for the interpreter; empty, or starting with a blank) through the platform's
// interpreter, which reads it as the program and those arguments, whatever the quotes.
std::string ProgramCommandLine(const std::string& name, const std::string& programFolder,
                               const std::string& arguments);

}  // namespace droplet
