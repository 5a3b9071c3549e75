#include "front_end/deliverable.h"

#include "common/platform.h"

namespace droplet {

std::string BuildCommandLine(const Deliverable& deliverable, const std::string& pdfPath) {
  return InterpreterPrefix() + deliverable.converterCommand + QuoteForInterpreter(pdfPath);
}

SettingsFile SettingsFileIn(const std::string& folder, const Deliverable& deliverable) {
  return {IniFilePath(folder, deliverable.iniFileName),
          IniFilePath(folder, deliverable.iniExistenceName)};
}

std::string WindowCaption(const Deliverable& deliverable) {
  return deliverable.window.caption;
}

std::string QuitQuestion(const Deliverable& deliverable) {
  return "Richiesta chiusura di " + deliverable.shortName + " \r\r \r\rContinuare ?";
}

std::string QuitTitle(const Deliverable& deliverable) {
  return deliverable.quitTitle;
}

}  // namespace droplet
