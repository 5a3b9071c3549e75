#include "front_end/deliverable.h"

#include "common/platform.h"
#include "files/program_search.h"

namespace droplet {

std::string ConverterName(const Deliverable& deliverable) {
  return deliverable.converterCommand.substr(0, deliverable.converterCommand.find(' '));
}

std::string BuildCommandLine(const Deliverable& deliverable, const std::string& pdfPath,
                             const std::string& programFolder) {
  const std::string name = ConverterName(deliverable);
  return InterpreterPrefix() + ProgramInvocation(name, programFolder) +
         deliverable.converterCommand.substr(name.size()) + QuoteForInterpreter(pdfPath);
}

std::string PageCountCommandLine(const std::string& pdfPath, const std::string& programFolder) {
  return InterpreterPrefix() + ProgramInvocation("pdfinfo", programFolder) + " " +
         QuoteForInterpreter(pdfPath);
}

std::string WindowCaption(const Deliverable& deliverable) {
  if (!deliverable.showsVersionCaption) return {};
  return deliverable.fileDescription + " - Ver: " + std::to_string(deliverable.version.major) +
         "." + std::to_string(deliverable.version.minor);
}

std::string QuitQuestion(const Deliverable& deliverable) {
  return "Richiesta chiusura di " + deliverable.shortName + " \r\r \r\rContinuare ?";
}

std::string QuitTitle(const Deliverable& deliverable) {
  if (!deliverable.showsVersionCaption) return WindowCaption(deliverable);
  const Version& v = deliverable.version;
  return deliverable.shortName + " Version: (BETA) " + std::to_string(v.major) + "." +
         std::to_string(v.minor) + "." + std::to_string(v.revision);
}

}  // namespace droplet
