#include "front_end/batch_texts.h"

namespace droplet {

namespace {

// How many names the question shows before it counts the rest.
constexpr size_t kNamesShown = 3;

}  // namespace

std::string BatchCount(const std::vector<std::string>& names) {
  std::string text = std::to_string(names.size()) + " file PDF: ";
  const size_t shown = names.size() < kNamesShown ? names.size() : kNamesShown;
  for (size_t i = 0; i < shown; ++i) {
    if (i > 0) text += i + 1 == shown && shown == names.size() ? " e " : ", ";
    text += names[i];
  }
  const size_t rest = names.size() - shown;
  if (rest == 1) text += " e un altro";
  if (rest > 1) text += " e altri " + std::to_string(rest);
  return text;
}

std::string ReportLine(const std::string& name, const std::string& reason) {
  return "- " + name + ": " + reason;
}

std::string BatchSummary(int converted, int documents, const std::vector<std::string>& lines) {
  std::string text = (converted == 1 ? "Convertito " : "Convertiti ") + std::to_string(converted) +
                     " PDF su " + std::to_string(documents) + ".";
  for (const std::string& line : lines) text += "\r\n" + line;
  return text;
}

}  // namespace droplet
