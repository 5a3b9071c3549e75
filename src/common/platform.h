#pragma once

#include <string>

// Facts of the platform the program runs on. Each platform supplies its own definitions
// (platform_posix.cpp, platform_win32.cpp); the portable code never tests which one it is.

namespace droplet {

// How paths are spelled. Pure path functions take one so that tests can check both spellings.
struct PathStyle {
  char separator;       // '\\' on Windows, '/' on POSIX
  bool colonSeparates;  // "C:report.pdf": the drive colon ends a path part on Windows only
};

inline constexpr PathStyle kWindowsPathStyle{'\\', true};
inline constexpr PathStyle kPosixPathStyle{'/', false};

// The spelling of the platform this program was built for.
extern const PathStyle kNativePathStyle;

// The separator as text, for joining the program folder with names ("\output", "/output").
std::string Sep();

// The folder that holds the running program file, without a final separator (except at a root).
std::string ProgramFolder();

// Quotes `argument` for the platform's command interpreter so that it reaches the program as
// one argument, whatever characters it holds (cmd: double quotes; sh: single quotes).
std::string QuoteForInterpreter(const std::string& argument);

// What goes in front of a converter's command line: "cmd /c " on Windows. Empty on POSIX,
// where the runner itself hands the whole line to /bin/sh -c.
std::string InterpreterPrefix();
// The exit code the command interpreter gives when it cannot find the program it was asked to
// start: 127 for sh, 9009 for cmd.
int InterpreterNotFoundExit();

}  // namespace droplet
