#include "front_end/start_up.h"

#include <algorithm>

#include "common/message_box.h"
#include "common/platform.h"
#include "common/version.h"

namespace droplet {
namespace {

bool Contains(const std::vector<std::string>& names, std::string_view name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

enum class ToolkitOption { kNone, kWithValue, kAlone };

// Whether the option `option` ("-name", "--name", "-name=value") is one the toolkit takes.
ToolkitOption ToolkitOptionOf(std::string_view option, const ToolkitOptions& toolkit) {
  option.remove_prefix(option.starts_with("--") ? 2 : 1);
  if (Contains(toolkit.withValue, option)) return ToolkitOption::kWithValue;
  const size_t equals = option.find('=');
  if (Contains(toolkit.flags, option) ||
      (equals != std::string_view::npos && Contains(toolkit.joined, option.substr(0, equals)))) {
    return ToolkitOption::kAlone;
  }
  return ToolkitOption::kNone;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& arguments,
                             const ToolkitOptions& toolkit) {
  CommandLine line;
  bool optionsEnded = false;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
      line.files.push_back(argument);
      continue;
    }
    const ToolkitOption toolkitOption = ToolkitOptionOf(argument, toolkit);
    if (argument == "--") {
      optionsEnded = true;
    } else if (argument == "--help" || argument == "-h") {
      line.help = true;
    } else if (argument == "--version") {
      line.version = true;
    } else if (toolkitOption != ToolkitOption::kNone) {
      line.toolkitArguments.push_back(argument);
      if (toolkitOption == ToolkitOption::kWithValue && i + 1 < arguments.size()) {
        line.toolkitArguments.push_back(arguments[++i]);
      }
    } else if (line.unknownOption.empty()) {
      line.unknownOption = argument;
    }
  }
  return line;
}

std::string HelpText(const Deliverable& deliverable, const std::string& programFile,
                     const WorkingFolders& folders) {
  std::string text = "Usage: " + programFile + " [FILE...]\n" + deliverable.summary + "\n\n";
  text +=
      "Drop a PDF file on the picture, or name it here: each FILE is handled as if it had been\n"
      "dropped, one after the other. When the program already runs for the same working folder,\n"
      "it takes the files over and this start ends.\n\n"
      "Options:\n"
      "  -h, --help     print this help and exit\n"
      "  --version      print the version and exit\n\n";
  if (!folders.work.empty()) {
    text += "Results:  " + folders.work + Sep() + "output\n";
  }
  if (!folders.settings.empty()) {
    text += "Settings: " + folders.settings + Sep() + deliverable.iniFileName + "\n";
  }
  return text;
}

std::string VersionText(const Deliverable& deliverable) {
  return deliverable.shortName + " " + FormatVersion(deliverable.version) + "\n";
}

std::string UnknownOptionText(const std::string& programFile, const std::string& option) {
  return programFile + ": unknown option " + option + "\nTry '" + programFile +
         " --help' for more information.\n";
}

std::string HandOverFailedText(const Deliverable& deliverable, const WorkingFolders& folders,
                               const std::vector<std::string>& files) {
  std::string text = deliverable.shortName +
                     " è già in esecuzione con la cartella di lavoro\r\n\r\n" + folders.work +
                     "\r\n\r\nma non risponde.";
  if (!files.empty()) {
    text += " Questi file non sono stati convertiti (sono rimasti dove sono):\r\n";
    for (const std::string& file : files) text += "\r\n" + file;
  }
  return text;
}

std::string ListenFailedText(const std::string& programFile, const std::string& address) {
  return programFile + ": cannot listen on " + address +
         "; a later start cannot hand its files over\n";
}

int RunProgram(const Deliverable& deliverable, ProgramHost& host) {
  using Channel = ProgramHost::Channel;
  const std::string programFile = host.ProgramFile();
  const WorkingFolders folders = ResolveWorkingFolders(host.ProgramFolder(), deliverable.shortName);
  // Answered before the toolkit starts: --help and --version need no display.
  const CommandLine line = ParseCommandLine(host.Arguments(), host.OptionsOfTheToolkit());
  if (line.help) {
    host.Say(HelpText(deliverable, programFile, folders), Channel::kOutput);
    return 0;
  }
  if (line.version) {
    host.Say(VersionText(deliverable), Channel::kOutput);
    return 0;
  }
  if (!line.unknownOption.empty()) {
    host.Say(UnknownOptionText(programFile, line.unknownOption), Channel::kError);
    return 2;
  }
  std::vector<std::string> files;
  for (const std::string& file : line.files) files.push_back(host.FullPath(file));

  host.StartToolkit(line.toolkitArguments);
  DesktopServices& desktop = host.Desktop();
  const std::string problem = PrepareWorkingFolders(folders, deliverable.shortName);
  if (!problem.empty()) {
    desktop.ShowMessageBox(problem, kMbIconExclamation, kApplicationTitle);
    return 1;
  }

  // Every spelling of the working folder names one instance.
  const std::unique_ptr<InstanceClaim> instance =
      host.ClaimInstance(InstanceName(deliverable.shortName, host.InstanceFolder(folders.work)));
  if (!instance->IsFirst()) {
    if (instance->HandOver(files, kHandOverMilliseconds)) return 0;
    desktop.ShowMessageBox(HandOverFailedText(deliverable, folders, files), kMbIconExclamation,
                           kApplicationTitle);
    return 1;
  }

  host.ShowMainWindow(deliverable, folders);
  host.CheckConverterSoon();
  // An unguarded start (no address) has said so already.
  if (!instance->Listen(
          [&host](const std::vector<std::string>& handed) { host.OpenFiles(handed); }) &&
      !instance->Address().empty()) {
    host.Say(ListenFailedText(programFile, instance->Address()), Channel::kError);
  }
  if (!files.empty()) desktop.PostToWindowThread([&host, files] { host.OpenFiles(files); });
  return host.RunEventLoop();
}

}  // namespace droplet
