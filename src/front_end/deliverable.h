#pragma once

#include <string>

#include "common/version.h"
#include "front_end/converter_outputs.h"
#include "front_end/ui_model.h"
#include "runner/runner_texts.h"
#include "settings/ini_settings.h"
#include "settings/options_form.h"

namespace droplet {

// Everything in which the two programs differ. The workflow, the windows and the dialogs read
// their texts and constants from here and hold none of their own.
struct Deliverable {
  std::string shortName;        // the application's title
  std::string fileDescription;  // as the version resource gives it
  std::string summary;          // what the program does, one line of --help (English, as the
                                // manual pages)
  Version version;

  std::string converterCommand;  // the converter and its options, ending in a blank
  std::string resultPattern;     // "*.html", "*.txt"
  std::string resultExtension;   // ".html", ".txt"
  bool emptiesOutputBeforeRun = false;
  // Which names the converter writes for a PDF: the run moves and deletes those and no others.
  const ConverterOutputs* outputs = nullptr;
  // The converter prints a "Page-N" line as it finishes each page; otherwise it ends each page
  // of its text result with a form feed. The droplet's progress counts one or the other.
  bool printsPageLines = false;
  // The converter's option that leaves out the pages' images ("Ignora immagini"); empty when
  // it has none.
  std::string ignoreImagesOption;

  std::string confirmationQuestion;
  std::string cancellationMessage;
  std::string openResultQuestion;

  RunnerTexts runnerTexts;

  std::string iniFileName;       // the settings file
  std::string iniExistenceName;  // the spelling the options dialog looks for
  OptionsForm optionsForm;

  WindowExtras window;    // caption and labels of the main window
  std::string quitTitle;  // the quit confirmation's title
  std::string aboutText;  // lines separated by single CR characters

  // Remakes what shows the file description and the version (captions, titles, the options
  // form's title) from those two fields; none when nothing shows them.
  void (*showVersion)(Deliverable&) = nullptr;
};

const Deliverable& OrvaneDeliverable();
const Deliverable& TessikDeliverable();

// `deliverable` with the file description and version its program file carries, and every
// caption and title that shows them made anew.
Deliverable WithVersion(const Deliverable& deliverable, const std::string& fileDescription,
                        const Version& version);

// The converter's program name: the first word of its command.
std::string ConverterName(const Deliverable& deliverable);

// The full converter command line for the PDF at `pdfPath`: interpreter prefix, converter (by
// its path where it lies in the program folder, whatever the current folder) and its options,
// then what `settings` ask of it (a page range, no images), then the path quoted for the
// interpreter.
std::string BuildCommandLine(const Deliverable& deliverable, const std::string& pdfPath,
                             const std::string& programFolder, const RunSettings& settings = {});

// The command line that asks pdfinfo, found as the converter is, about the PDF at `pdfPath`.
std::string PageCountCommandLine(const std::string& pdfPath, const std::string& programFolder);

// `form` with what assistive technologies say of it and of its page boxes, for `programName`.
OptionsForm WithAccessibleTexts(OptionsForm form, const std::string& programName);

// The settings file of `deliverable` in `folder`.
SettingsFile SettingsFileIn(const std::string& folder, const Deliverable& deliverable);

// "Tessik - Ver: 0.0" for Tessik, empty for Orvane.
std::string WindowCaption(const Deliverable& deliverable);

// The quit confirmation: its text (single CR line breaks) and its title.
std::string QuitQuestion(const Deliverable& deliverable);
std::string QuitTitle(const Deliverable& deliverable);

}  // namespace droplet
