#include "front_end/deliverable.h"

#include "common/platform.h"
#include "files/program_search.h"

namespace droplet {

Deliverable WithVersion(const Deliverable& deliverable, const std::string& fileDescription,
                        const Version& version) {
  Deliverable shown = deliverable;
  shown.fileDescription = fileDescription;
  shown.version = version;
  if (shown.showVersion != nullptr) shown.showVersion(shown);
  return shown;
}

std::string ConverterName(const Deliverable& deliverable) {
  return deliverable.converterCommand.substr(0, deliverable.converterCommand.find(' '));
}

std::string BuildCommandLine(const Deliverable& deliverable, const std::string& pdfPath,
                             const std::string& programFolder, const RunSettings& settings) {
  const std::string name = ConverterName(deliverable);
  std::string chosen;
  if (settings.pages) {
    chosen += "-f " + std::to_string(settings.pages->first) + " -l " +
              std::to_string(settings.pages->last) + " ";
  }
  if (settings.ignoreImages && !deliverable.ignoreImagesOption.empty()) {
    chosen += deliverable.ignoreImagesOption + " ";
  }
  return ProgramCommandLine(
      name, programFolder,
      deliverable.converterCommand.substr(name.size()) + chosen + QuoteForInterpreter(pdfPath));
}

std::string PageCountCommandLine(const std::string& pdfPath, const std::string& programFolder) {
  // Built by appending: gcc 12 at -O3 warns falsely (-Wrestrict) about " " + std::string.
  std::string arguments(1, ' ');
  arguments += QuoteForInterpreter(pdfPath);
  return ProgramCommandLine("pdfinfo", programFolder, arguments);
}

OptionsForm WithAccessibleTexts(OptionsForm form, const std::string& programName) {
  form.accessibleName = "Opzioni di " + programName;
  form.accessibleDescription =
      "Le scelte valgono per le prossime conversioni: Salva le conserva, Annulla le lascia come "
      "erano.";
  for (FormControl& control : form.controls) {
    if (control.name == "txtPagStart") control.accessibleName = "Converti dalla pagina";
    if (control.name == "txtPagEnd") control.accessibleName = "Converti fino alla pagina";
  }
  return form;
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
