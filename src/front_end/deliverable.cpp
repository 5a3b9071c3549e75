#include "front_end/deliverable.h"

#include "common/platform.h"

namespace droplet {

std::string BuildCommandLine(const Deliverable& deliverable, const std::string& pdfPath) {
  return InterpreterPrefix() + deliverable.converterCommand + QuoteForInterpreter(pdfPath);
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
