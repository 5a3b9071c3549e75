#pragma once

#include <string>
#include <vector>

#include "common/working_folders.h"
#include "front_end/deliverable.h"

namespace droplet {

// Runs `deliverable` as a program: its command line, its working folders, its one instance per
// working folder, its application title and version, and its main window in its start
// position, shown until the user quits. Returns the program's exit code. Each GUI backend
// implements it (start_up_qt.cpp, start_up_win32.cpp); the programs' entry points do nothing
// else.
int RunProgram(const Deliverable& deliverable, int& argc, char** argv);

// What a program's command line asks for: `orvane [FILE...]`, `--help`, `--version`.
struct CommandLine {
  bool help = false;
  bool version = false;
  std::vector<std::string> files;  // as given, each to be handled as if it had been dropped
  std::string unknownOption;       // the first option nobody knows, or empty text
};

// Reads the arguments after the program's own name. "--" ends the options: what follows is a
// file whatever it looks like.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// The lines --help prints: how to call `programFile` (the name the program was started by),
// what it does, and where it keeps its results and settings.
std::string HelpText(const Deliverable& deliverable, const std::string& programFile,
                     const WorkingFolders& folders);
// The line --version prints: "Orvane 1.0.7".
std::string VersionText(const Deliverable& deliverable);
// What an unknown option earns on the error output, before the exit status 2.
std::string UnknownOptionText(const std::string& programFile, const std::string& option);
// What a later start tells the user (in Italian) when the program running for the same working
// folder did not take the files over.
std::string HandOverFailedText(const Deliverable& deliverable, const WorkingFolders& folders,
                               const std::vector<std::string>& files);

}  // namespace droplet
