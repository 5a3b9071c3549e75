#include "front_end/start_up.h"

#include "common/platform.h"
#include "common/version.h"

namespace droplet {

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
  CommandLine line;
  bool optionsEnded = false;
  for (const std::string& argument : arguments) {
    if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
      line.files.push_back(argument);
    } else if (argument == "--") {
      optionsEnded = true;
    } else if (argument == "--help" || argument == "-h") {
      line.help = true;
    } else if (argument == "--version") {
      line.version = true;
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

}  // namespace droplet
