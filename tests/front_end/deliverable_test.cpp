#include "front_end/deliverable.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/platform.h"
#include "common/version.h"
#include "front_end/ui_model.h"
#include "support/temp_folder.h"

namespace droplet {
namespace {

TEST(Deliverable, CaptionsAndQuitConfirmationFollowTheVersion) {
  EXPECT_EQ(WindowCaption(TessikDeliverable()), "Tessik - Ver: 0.0");
  EXPECT_EQ(WindowCaption(OrvaneDeliverable()), "");
  EXPECT_EQ(QuitTitle(TessikDeliverable()), "Tessik Version: (BETA) 0.0.9");
  EXPECT_EQ(QuitTitle(OrvaneDeliverable()), "");
  EXPECT_EQ(QuitQuestion(OrvaneDeliverable()),
            "Richiesta chiusura di Orvane \r\r \r\rContinuare ?");
  EXPECT_EQ(FormatVersion(OrvaneDeliverable().version), "1.0.7");
  EXPECT_EQ(FormatVersion({12, 0, 305}), "12.0.305");
  EXPECT_EQ(FormatVersion({12, 0, 305}, VersionParts::kMajorMinor), "12.0");
}

// The programs show what their program file's version resource says.
TEST(Deliverable, AnotherVersionShowsInEveryCaptionAndTitle) {
  const Deliverable tessik = WithVersion(TessikDeliverable(), "Tessik", {2, 3, 4});
  EXPECT_EQ(WindowCaption(tessik), "Tessik - Ver: 2.3");
  EXPECT_EQ(QuitTitle(tessik), "Tessik Version: (BETA) 2.3.4");
  EXPECT_EQ(LoadedTitle(tessik.optionsForm, "tessik"),
            LoadedTitle(TessikOptionsForm({2, 3, 4}), "tessik"));
  EXPECT_EQ(tessik.window.labels.size(), 2u);
  const Deliverable orvane = WithVersion(OrvaneDeliverable(), "Orvane", {9, 8, 7});
  EXPECT_EQ(FormatVersion(orvane.version), "9.8.7");
  EXPECT_EQ(WindowCaption(orvane), "");
  EXPECT_EQ(QuitTitle(orvane), "");
}

// Tessik's About text names the author credit, web site and address its options dialog shows.
TEST(Deliverable, TessikAboutAgreesWithItsOptionsDialog) {
  const Deliverable& tessik = TessikDeliverable();
  for (const char* label : {"Label2", "Label3", "Label4"}) {
    const std::string& caption = FindControl(tessik.optionsForm, label)->caption;
    EXPECT_NE(tessik.aboutText.find(caption), std::string::npos) << caption;
  }
  EXPECT_TRUE(LoadedTitle(tessik.optionsForm, "tessik").ends_with(kTessikAuthorCredit));
}

TEST(UiModel, MenuEntriesInOrderWithTheirCaptions) {
  std::vector<std::string> names;
  std::vector<std::string> captions;
  for (const MenuEntry& entry : PopupMenuEntries()) {
    names.push_back(entry.name);
    captions.push_back(entry.caption);
    EXPECT_EQ(IsSeparator(entry), entry.name == std::string("mnusep")) << entry.name;
    // Stopping applies only while a conversion runs, choosing another PDF only while none does;
    // everything else always.
    const bool stops = entry.command == WindowCommand::kStopRun;
    const bool converts = entry.command == WindowCommand::kConvertPdf;
    EXPECT_EQ(IsAvailable(entry, false), !stops) << entry.name;
    EXPECT_EQ(IsAvailable(entry, true), !converts) << entry.name;
  }
  EXPECT_EQ(names,
            (std::vector<std::string>{"mnuOpzioni", "mnuInfo", "mnusep", "mnuOpenPath", "mnuSvuota",
                                      "mnuConverti", "mnuInterrompi", "mnuExit"}));
  EXPECT_EQ(captions, (std::vector<std::string>{"Opzioni", "Info", "-", "Apri Cartella di output",
                                                "Svuota cache", "Converti un PDF...",
                                                "Interrompi conversione", "Esci"}));
}

TEST(UiModel, OnlyTessikHasWindowExtras) {
  EXPECT_EQ(OrvaneDeliverable().window.caption, "");
  EXPECT_TRUE(OrvaneDeliverable().window.labels.empty());
  const std::vector<WindowLabel>& labels = TessikDeliverable().window.labels;
  ASSERT_EQ(labels.size(), 2u);
  EXPECT_EQ(labels[0].name, "Label4");
  EXPECT_EQ(labels[0].text, "?");
  EXPECT_EQ(labels[0].place, (TwipsRect{675, 1050, 90, 195}));
  EXPECT_EQ(labels[0].toolTip,
            "per la conversione Trascinare il file PDF all'interno dell'immagine");
  EXPECT_EQ(labels[0].doubleClick, WindowCommand::kNone);
  EXPECT_EQ(labels[1].name, "Label1");
  EXPECT_EQ(labels[1].text, "");
  EXPECT_EQ(labels[1].place, (TwipsRect{1005, 1065, 165, 165}));
  EXPECT_EQ(labels[1].toolTip, "Chiudi il programma (doppio-click)");
  EXPECT_EQ(labels[1].doubleClick, WindowCommand::kExit);
}

// A screen reader names each window and its page boxes; the texts are the deliverables', so
// both GUIs say the same.
TEST(UiModel, AssistiveTechnologiesHearWhatEachWindowIsFor) {
  EXPECT_EQ(OrvaneDeliverable().window.accessibleName,
            "Orvane: trascina qui un PDF da convertire in HTML");
  EXPECT_EQ(TessikDeliverable().window.accessibleName,
            "Tessik: trascina qui un PDF da convertire in testo");
  for (const Deliverable* deliverable : {&OrvaneDeliverable(), &TessikDeliverable()}) {
    EXPECT_NE(deliverable->window.accessibleDescription.find("Maiusc+F10"), std::string::npos);
    const OptionsForm& form = deliverable->optionsForm;
    EXPECT_EQ(form.accessibleName, "Opzioni di " + deliverable->shortName);
    EXPECT_FALSE(form.accessibleDescription.empty());
    EXPECT_EQ(FindControl(form, "txtPagStart")->accessibleName, "Converti dalla pagina");
    EXPECT_EQ(FindControl(form, "txtPagEnd")->accessibleName, "Converti fino alla pagina");
  }
}

// The texts the user reads, blanks included: a lost or doubled blank is a visible change.
TEST(Deliverable, QuestionsAndMessagesKeepTheirExactWording) {
  const Deliverable& orvane = OrvaneDeliverable();
  EXPECT_EQ(orvane.confirmationQuestion, "Eseguire la conversione in formato HTML ?");
  EXPECT_EQ(orvane.openResultQuestion, "Aprire il file indice per visualizzare l'output?");
  EXPECT_EQ(orvane.cancellationMessage, "conversione in HTML annullata dall'utente");
  const Deliverable& tessik = TessikDeliverable();
  EXPECT_EQ(tessik.confirmationQuestion, "Eseguire la conversione in formato TESTO ?");
  EXPECT_EQ(tessik.openResultQuestion, "Aprire il file per la visualizzazione ?");
  EXPECT_EQ(tessik.cancellationMessage, "conversione  annullata dall'utente");
}

TEST(Deliverable, CommandLineQuotesThePathForTheInterpreter) {
  testing::TempFolder program;  // no converter beside the program: it is found by its name
  const std::string line = BuildCommandLine(TessikDeliverable(), "a b.pdf", program.str());
  EXPECT_EQ(line, InterpreterPrefix() + "pdftotext " + QuoteForInterpreter("a b.pdf"));
  EXPECT_EQ(BuildCommandLine(OrvaneDeliverable(), "x", program.str())
                .find(InterpreterPrefix() + "pdftohtml -c  -stdout "),
            0u);
}

}  // namespace
}  // namespace droplet
