#pragma once

#include <memory>
#include <string>
#include <vector>

#include "common/desktop_services.h"
#include "common/working_folders.h"
#include "front_end/deliverable.h"
#include "front_end/single_instance.h"

namespace droplet {

// Runs `deliverable` as a program: builds the platform's ProgramHost and runs the start-up below
// on it. Returns the program's exit code. Each GUI backend implements it (start_up_qt.cpp,
// start_up_win32.cpp); the programs' entry points do nothing else.
int RunProgram(const Deliverable& deliverable, int& argc, char** argv);

// The options a GUI toolkit takes from the command line for itself, each with one dash or two
// ("-platform xcb", "--reverse"). The program passes them on to the toolkit untouched.
struct ToolkitOptions {
  std::vector<std::string> withValue;  // "platform": the next argument is its value
  std::vector<std::string> flags;      // "reverse"
  std::vector<std::string> joined;     // "style": its value joined by '=' ("-style=fusion")
};

// What a program's command line asks for: `orvane [FILE...]`, `--help`, `--version`.
struct CommandLine {
  bool help = false;
  bool version = false;
  std::vector<std::string> files;  // as given, each to be handled as if it had been dropped
  std::string unknownOption;       // the first option nobody knows, or empty text
  std::vector<std::string> toolkitArguments;  // the toolkit's options and their values, in order
};

// Reads the arguments after the program's own name. "--" ends the options: what follows is a
// file whatever it looks like.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments,
                             const ToolkitOptions& toolkit = {});

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
// What the instance says on the error output when later starts cannot reach it at `address`.
std::string ListenFailedText(const std::string& programFile, const std::string& address);

// How long a later start waits for the running program to take its files.
inline constexpr int kHandOverMilliseconds = 10000;

// What the start-up asks of the platform it runs on. Each GUI backend implements these few
// primitives (start_up_qt.cpp, start_up_win32.cpp); tests use a stand-in.
class ProgramHost {
 public:
  virtual ~ProgramHost() = default;

  // Where the user who started the program reads what it says.
  enum class Channel { kOutput, kError };

  // The command line after the program's own name.
  virtual std::vector<std::string> Arguments() = 0;
  // The name the program was started by, for its help and its complaints.
  virtual std::string ProgramFile() = 0;
  // The folder that holds the program file.
  virtual std::string ProgramFolder() = 0;
  // The options the toolkit takes for itself.
  virtual ToolkitOptions OptionsOfTheToolkit() = 0;
  // A file named on the command line as the window takes it: a full path, from the folder the
  // program was started in (a running instance has another).
  virtual std::string FullPath(const std::string& file) = 0;
  // Tells `text` to the user who started the program: help, the version, a complaint.
  virtual void Say(const std::string& text, Channel channel) = 0;
  // Starts the toolkit with its own options. Nothing shows before.
  virtual void StartToolkit(const std::vector<std::string>& toolkitArguments) = 0;
  // Boxes, and calls posted to the window's thread; once the toolkit runs.
  virtual DesktopServices& Desktop() = 0;
  // The existing working folder `workFolder` as every start spells it: the instance's name.
  virtual std::string InstanceFolder(const std::string& workFolder) = 0;
  // The start's claim on the instance named `name`.
  virtual std::unique_ptr<InstanceClaim> ClaimInstance(const std::string& name) = 0;
  // Makes the main window and shows it at its start position.
  virtual void ShowMainWindow(const Deliverable& deliverable, const WorkingFolders& folders) = 0;
  // The main window tells the user, once the event loop runs, when the converter is missing.
  virtual void CheckConverterSoon() = 0;
  // Hands `files` to the main window, each handled as if it had been dropped.
  virtual void OpenFiles(const std::vector<std::string>& files) = 0;
  // Runs the event loop until the program quits; returns its exit code.
  virtual int RunEventLoop() = 0;
};

// The start-up, the same on every platform: the command line (--help, --version: 0; an
// unknown option: 2, all before the toolkit starts), the working folders, the one instance per
// working folder (a later start hands its files over and ends: 0, or 1 when they were not
// taken), the window at its start position, the converter check, the command line's files and
// those of later starts, and the event loop. A working folder that cannot be used is said in a
// box and ends the program with 1.
int RunProgram(const Deliverable& deliverable, ProgramHost& host);

}  // namespace droplet
