// The options dialog's settings as the run follows them, read from the settings file at every
// drop: with the initial values the run is the run without a file; each setting changes only
// what it names.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/platform.h"
#include "settings/options_form.h"
#include "support/workflow_rig.h"

namespace droplet::testing {
namespace {

namespace fs = std::filesystem;

// What a run shows, opens, runs and leaves in the output folder.
struct Seen {
  std::string commandLine;
  std::vector<std::string> boxes;
  std::vector<std::string> opened;
  std::vector<std::string> output;
  bool operator==(const Seen&) const = default;
};

struct SettingsRig : WorkflowRig {
  explicit SettingsRig(const Deliverable& deliverable = OrvaneDeliverable())
      : WorkflowRig(deliverable) {}

  // Writes the settings file by hand, as a user may between two runs.
  void Settings(const std::string& lines) {
    WriteFile(PathFromUtf8(SettingsFileIn(program.str(), window.deliverable()).path), lines);
  }

  Seen Convert(const std::string& pdf) {
    desktop.Clear();
    opener.Clear();
    EXPECT_FALSE(Drop(pdf));
    Seen seen{window.CommandLineField(), {}, opener.Targets(), NamesIn(OutputFolder())};
    for (const RecordedBox& box : desktop.boxes()) {
      seen.boxes.push_back(box.text + " | " + std::to_string(box.style));
    }
    return seen;
  }
};

// Orvane, whose dialog offers every setting.
class OrvaneSettings : public ::testing::Test, public SettingsRig {};

TEST(RunSettings, InitialAndGreyedValuesGiveTheRunWithoutAFile) {
  for (const Deliverable* deliverable : {&OrvaneDeliverable(), &TessikDeliverable()}) {
    SCOPED_TRACE(deliverable->shortName);
    SettingsRig rig(*deliverable);
    const std::string pdf = rig.Document("doc.pdf", NumberedPages(3));
    const Seen plain = rig.Convert(pdf);
    EXPECT_EQ(plain.commandLine,
              BuildCommandLine(*deliverable, rig.window.PdfPath(), rig.program.str()));
    EXPECT_EQ(plain.boxes.size(), 3u);
    EXPECT_EQ(plain.opened,
              (std::vector<std::string>{rig.window.OutputFolder(), rig.ResultPath()}));

    IniSettingsStore store(SettingsFileIn(rig.program.str(), *deliverable), rig.desktop);
    SaveOptionsForm(OptionsFormState{}, store);  // "Salva" on the dialog as it first opens
    EXPECT_EQ(rig.Convert(pdf), plain);
    rig.Settings("[Folders]\nopen=2\nrun=2\n[Range]\nActive=2\nStart=x\n[Images]\nIgnore=2\n");
    EXPECT_EQ(rig.Convert(pdf), plain);
    if (deliverable == &TessikDeliverable()) {
      // Its inactive boxes change nothing, whatever the file holds.
      rig.Settings("[Range]\nActive=1\nStart=2\nEnd=2\n[Images]\nIgnore=1\n");
      EXPECT_EQ(rig.Convert(pdf), plain);
    }
  }
}

// Each setting changes what it names and nothing else; the file is read again at every drop.
TEST(RunSettings, FolderAndResultSettingsChangeOnlyWhatTheyOpenAndAsk) {
  SettingsRig rig;
  const std::string pdf = rig.Document("doc.pdf", NumberedPages(2));
  const Seen plain = rig.Convert(pdf);

  rig.Settings("[Folders]\nopen=0\n");
  Seen seen = rig.Convert(pdf);
  EXPECT_EQ(seen.opened, std::vector<std::string>{rig.ResultPath()});
  seen.opened = plain.opened;
  EXPECT_EQ(seen, plain);

  rig.Settings("[Folders]\nopen=1\nrun=1\n");
  seen = rig.Convert(pdf);
  EXPECT_EQ(seen.opened, plain.opened);
  EXPECT_EQ(seen.boxes, std::vector<std::string>(plain.boxes.begin(), plain.boxes.end() - 1));
}

TEST_F(OrvaneSettings, ARangeConvertsThosePagesAndSaysWhereTheDocumentEnds) {
  const std::string pdf = Document("doc.pdf", NumberedPages(17));
  RunProgress most;
  window.SetProgressListener([&](const RunProgress& progress) {
    most.pagesDone = std::max(most.pagesDone, progress.pagesDone);
    most.pageCount = std::max(most.pageCount, progress.pageCount);
  });
  Settings("[Range]\nActive=1\nStart=3\nEnd= 5\n");
  const Seen seen = Convert(pdf);
  EXPECT_NE(seen.commandLine.find(" -c  -stdout -f 3 -l 5 "), std::string::npos);
  EXPECT_EQ(seen.output,
            (std::vector<std::string>{"doc-3.html", "doc-4.html", "doc-5.html", "doc.html",
                                      "doc003.png", "doc004.png", "doc005.png", "doc_ind.html"}));
  EXPECT_NE(ReadFile(OutputFolder() / "doc-4.html").find("Pagina 4"), std::string::npos);
  EXPECT_EQ(desktop.texts().at(1), "Conversione completa\r\n\r\nConvertite le pagine da 3 a 5.");
  EXPECT_EQ(most.pagesDone, 3);
  EXPECT_TRUE(most.pageCount == 0 || most.pageCount == 3) << most.pageCount;
  EXPECT_EQ(NamesIn(program.path()), (std::vector<std::string>{"Orvane.INI", "output"}));

  Settings("[Range]\nActive=1\nStart=16\nEnd=25\n");
  EXPECT_EQ(Convert(pdf).output.size(), 6u);
  EXPECT_EQ(desktop.texts().at(1),
            "Conversione completa\r\n\r\nConvertite le pagine da 16 a 17: il documento finisce "
            "a pagina 17.");

  // Nothing to convert: the converter refuses, and the missing-results box says what was asked.
  Settings("[Range]\nActive=1\nStart=20\nEnd=25\n");
  EXPECT_TRUE(Drop(pdf));
  EXPECT_NE(desktop.texts().back().find("Le Opzioni chiedono le pagine da 20 a 25."),
            std::string::npos)
      << desktop.texts().back();
}

TEST_F(OrvaneSettings, UnusableRangesAreSaidBeforeTheRunAndEveryPageIsConverted) {
  const std::string pdf = Document("doc.pdf", NumberedPages(3));
  const std::vector<std::string> everyPage = {"doc-1.html", "doc-2.html", "doc-3.html"};
  const struct {
    const char* start;
    const char* end;
    const char* reason;
  } cases[] = {{"abc", "2", "la pagina iniziale (\"abc\") non è un numero intero da 1 in su"},
               {"0", "2", "la pagina iniziale (\"0\") non è un numero intero da 1 in su"},
               {"3", "2", "la pagina iniziale (3) viene dopo la pagina finale (2)"},
               {"2", "", "manca la pagina finale"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reason);
    Settings(std::string("[Range]\nActive=1\nStart=") + c.start + "\nEnd=" + c.end + "\n");
    const Seen seen = Convert(pdf);
    EXPECT_TRUE(desktop.texts().at(0).ends_with(
        " )\r\n\r\nIntervallo di pagine non valido: " + std::string(c.reason) +
        ". Si convertono tutte le pagine."))
        << desktop.texts().at(0);
    EXPECT_EQ(seen.commandLine,
              BuildCommandLine(OrvaneDeliverable(), window.PdfPath(), program.str()));
    EXPECT_TRUE(
        std::includes(seen.output.begin(), seen.output.end(), everyPage.begin(), everyPage.end()));
    EXPECT_EQ(desktop.texts().at(1), "Conversione completa");
  }
}

TEST_F(OrvaneSettings, IgnoraImmaginiLeavesNoImagesAnywhere) {
  Settings("[Images]\nIgnore=1\n");
  const std::string pdf =
      Document("doc.pdf", {{{"Prima"}, true}, {{"Seconda"}, true}, {{"Terza"}, false}});
  const Seen seen = Convert(pdf);
  EXPECT_NE(seen.commandLine.find(" -stdout -i "), std::string::npos);
  EXPECT_EQ(seen.output, (std::vector<std::string>{"doc-1.html", "doc-2.html", "doc-3.html",
                                                   "doc.html", "doc_ind.html"}));
  EXPECT_EQ(ReadFile(OutputFolder() / "doc-2.html").find("<img"), std::string::npos);
  EXPECT_EQ(NamesIn(program.path()), (std::vector<std::string>{"Orvane.INI", "output"}));
  EXPECT_EQ(NamesIn(current.path()), std::vector<std::string>{});
}

}  // namespace
}  // namespace droplet::testing
