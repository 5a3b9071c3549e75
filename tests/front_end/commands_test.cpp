#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "common/message_box.h"
#include "front_end/ui_model.h"
#include "support/workflow_rig.h"

namespace droplet::testing {
namespace {

namespace fs = std::filesystem;

using CommandsTest = WorkflowTest;

std::vector<std::string> SplitAtCr(const std::string& text) {
  std::vector<std::string> lines(1);
  for (char c : text) {
    if (c == '\r') {
      lines.emplace_back();
    } else {
      lines.back() += c;
    }
  }
  return lines;
}

TEST_F(CommandsTest, InfoShowsTheAboutText) {
  auto& window = Window(TessikDeliverable());
  window.MnuInfoClick();
  ASSERT_EQ(desktop.boxes().size(), 1u);
  EXPECT_EQ(desktop.boxes()[0].style, kMbIconInformation);
  EXPECT_EQ(desktop.boxes()[0].title, kApplicationTitle);
  const auto lines = SplitAtCr(desktop.boxes()[0].text);
  ASSERT_EQ(lines.size(), 9u);
  EXPECT_EQ(lines[0], "Tessik - Pdf To Text VERSIONE BETA");
  EXPECT_EQ(lines[1], "");
  EXPECT_EQ(lines[3], "tramite DRAG&DROP usando la libreria Xpdf - Win32 binaries ");
  EXPECT_EQ(lines[4], " " + std::string(18, '-'));
  EXPECT_EQ(lines[7], std::string(19, '-'));
  EXPECT_EQ(window.Caption(), "Tessik - Ver: 0.0");
}

TEST_F(CommandsTest, OpenOutputFolderAsksTheDesktopWhichMayRefuse) {
  auto& window = Window(OrvaneDeliverable());
  window.MnuOpenPathClick();  // no run has created the folder yet
  fs::create_directories(OutputFolder());
  window.MnuOpenPathClick();

  ASSERT_EQ(opener.requests().size(), 2u);
  for (const auto& request : opener.requests()) {
    EXPECT_EQ(request.target, program / "output");
    EXPECT_EQ(request.parameters, "");
    EXPECT_EQ(request.workingFolder, program.str());
  }
  EXPECT_EQ(desktop.texts(), std::vector<std::string>{"Error jumping to:" + (program / "output")});
}

TEST_F(CommandsTest, EmptyCacheEmptiesTheOutputFolderOrReportsWhyNot) {
  auto& window = Window(TessikDeliverable());
  window.MnuSvuotaClick();  // no output folder yet: nothing to do
  EXPECT_FALSE(Settle());
  fs::create_directories(OutputFolder() / "a" / "b");
  WriteFile(OutputFolder() / "doc.txt", "x");
  WriteFile(OutputFolder() / "a" / "b" / "p.png", "x");
  fs::permissions(OutputFolder() / "doc.txt", fs::perms::owner_write, fs::perm_options::remove);
  window.MnuSvuotaClick();
  // The emptying runs off the window's thread, under the busy pointer, and waits its turn.
  EXPECT_TRUE(window.Busy());
  EXPECT_FALSE(Settle());
  EXPECT_FALSE(desktop.busy());
  EXPECT_EQ(desktop.busyChanges(), 4);

  EXPECT_TRUE(fs::is_directory(OutputFolder()));
  EXPECT_TRUE(NamesIn(OutputFolder()).empty());
  ASSERT_EQ(desktop.boxes().size(), 2u);
  for (const auto& box : desktop.boxes()) {
    EXPECT_EQ(box.text, "Cache svuotata");
    EXPECT_EQ(box.style, kMbOk);
    EXPECT_EQ(box.title, kApplicationTitle);
  }

  // A hidden folder inside a subfolder stays, so the subfolder cannot be removed.
  desktop.Clear();
  fs::create_directories(OutputFolder() / "sotto");
  MakeHiddenFolder(OutputFolder() / "sotto");
  WriteFile(OutputFolder() / "doc.txt", "x");
  window.MnuSvuotaClick();
  EXPECT_FALSE(Settle());
  ASSERT_EQ(desktop.boxes().size(), 1u);
  EXPECT_NE(desktop.boxes()[0].text.find(" - CleanAllPath - "), std::string::npos);
  EXPECT_EQ(desktop.boxes()[0].style, kMbOk);
  EXPECT_FALSE(fs::exists(OutputFolder() / "doc.txt"));  // what was deleted stays deleted
}

// What comes while the cache empties waits its turn, in order: a second "Svuota cache" and a
// drop; and "Svuota cache" during a drop's handling comes after it.
TEST_F(CommandsTest, EmptyCacheAndDropsWaitTheirTurn) {
  auto& window = Window(TessikDeliverable());
  fs::create_directories(OutputFolder());
  WriteFile(OutputFolder() / "vecchio.txt", "x");
  const std::string pdf = Document("nuovo.pdf");
  window.MnuSvuotaClick();
  window.MnuSvuotaClick();
  const DragData drag{true, {pdf}};
  EXPECT_EQ(window.FormOLEDragOver(drag, kDropEffectCopy), kDropEffectCopy);
  window.FormOLEDragDrop(drag);
  window.MnuSvuotaClick();
  desktop.Answer(kIdYes);  // the confirmation
  desktop.Answer(kIdNo);   // no result opened
  EXPECT_FALSE(Settle());

  const std::vector<std::string> texts = desktop.texts();
  ASSERT_EQ(texts.size(), 6u);
  EXPECT_EQ(texts[0], "Cache svuotata");
  EXPECT_EQ(texts[1], "Cache svuotata");
  EXPECT_TRUE(texts[2].starts_with("Eseguire la conversione")) << texts[2];
  EXPECT_EQ(texts[3], "Conversione completa");
  EXPECT_EQ(texts[5], "Cache svuotata");
  EXPECT_TRUE(NamesIn(OutputFolder()).empty());
  EXPECT_FALSE(desktop.busy());
}

// "Interrompi conversione" drops the drops that wait, not a "Svuota cache" asked for meanwhile.
TEST_F(CommandsTest, AStopKeepsTheCacheEmptyingThatWaits) {
  auto& window = Window(OrvaneDeliverable());
  const std::string first = Document("primo.pdf");
  const std::string second = Document("secondo.pdf");
  bool stopped = false;
  window.SetProgressListener([&](const RunProgress& progress) {
    if (!progress.running || std::exchange(stopped, true)) return;
    window.MnuSvuotaClick();
    window.HandleFile(second);
    window.MnuInterrompiClick();
  });
  EXPECT_FALSE(Drop(first));
  EXPECT_TRUE(stopped);
  const std::vector<std::string> texts = desktop.texts();
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[1], "Conversione interrotta");
  EXPECT_EQ(texts[2], "Cache svuotata");
}

// Quitting while the cache empties waits for the emptying: nothing is left half done.
TEST_F(CommandsTest, QuittingWaitsForTheCacheEmptying) {
  auto& window = Window(OrvaneDeliverable());
  fs::create_directories(OutputFolder());
  for (int i = 0; i < 500; ++i) WriteFile(OutputFolder() / (std::to_string(i) + ".html"), "x");
  window.MnuSvuotaClick();
  desktop.RunPostedCalls();  // the emptying has begun
  desktop.Answer(kIdYes);
  EXPECT_THROW(window.FormQueryUnload(), ProgramEnded);
  EXPECT_TRUE(NamesIn(OutputFolder()).empty());
}

TEST_F(CommandsTest, QuitConfirmationKeepsTheWindowOnNoAndEndsTheProgramOnYes) {
  for (const Deliverable* deliverable : {&OrvaneDeliverable(), &TessikDeliverable()}) {
    SCOPED_TRACE(deliverable->shortName);
    desktop.Clear();
    MainWindowWorkflow window(*deliverable, desktop, opener, program.str());
    desktop.Answer(kIdNo);
    EXPECT_TRUE(window.FormQueryUnload());
    EXPECT_FALSE(desktop.ended());
    desktop.Answer(kIdYes);
    EXPECT_THROW(window.FormQueryUnload(), ProgramEnded);
    EXPECT_TRUE(desktop.ended());

    ASSERT_EQ(desktop.boxes().size(), 2u);
    EXPECT_EQ(desktop.boxes()[0].text,
              "Richiesta chiusura di " + deliverable->shortName + " \r\r \r\rContinuare ?");
    EXPECT_EQ(desktop.boxes()[0].style, kMbYesNo);
    EXPECT_EQ(desktop.boxes()[0].title,
              deliverable == &TessikDeliverable() ? "Tessik Version: (BETA) 0.0.9" : "");
  }
}

TEST_F(CommandsTest, AConverterThatCannotBeFoundIsToldWithWhereItWasLookedFor) {
  auto& window = Window(OrvaneDeliverable());
  {
    TempFolder empty;
    SearchPathScope nowhere(empty.str());
    window.CheckConverter();
    ASSERT_EQ(desktop.boxes().size(), 1u);
    const RecordedBox& box = desktop.boxes()[0];
    EXPECT_TRUE(box.text.starts_with("Il convertitore pdftohtml non è stato trovato.")) << box.text;
    EXPECT_NE(box.text.find("\r\n" + empty.str() + "\r\n"), std::string::npos) << box.text;
    EXPECT_EQ(box.style, kMbIconExclamation);
    EXPECT_EQ(box.title, kApplicationTitle);
    EXPECT_FALSE(desktop.ended());
  }
  desktop.Clear();
  window.CheckConverter();  // found on the search path: nothing to say
  EXPECT_TRUE(desktop.boxes().empty());
}

// Every entry of the menu and every label's command reaches the handler it names, and only it.
TEST_F(CommandsTest, EachWindowCommandRunsItsOwnHandler) {
  struct Requests : WindowRequests {
    void OpenOptionsDialog() override { seen.push_back("options"); }
    void RequestClose() override { seen.push_back("close"); }
    std::vector<std::string> ChoosePdfs() override {
      seen.push_back("choose");
      return chosen;
    }
    std::vector<std::string> seen;
    std::vector<std::string> chosen;  // none: the file dialog was cancelled
  } requests;
  auto& window = Window(OrvaneDeliverable());
  std::vector<WindowCommand> commands;
  for (const MenuEntry& entry : PopupMenuEntries()) commands.push_back(entry.command);
  for (const WindowLabel& label : TessikDeliverable().window.labels) {
    commands.push_back(label.doubleClick);
  }
  for (const WindowCommand command : commands) RunWindowCommand(command, window, requests);

  // Opzioni, Info, the separator, Apri Cartella, Svuota, Converti (cancelled: nothing),
  // Interrompi (no run: nothing), Esci; Label4 nothing, Label1 close.
  EXPECT_EQ(requests.seen, (std::vector<std::string>{"options", "choose", "close", "close"}));
  EXPECT_FALSE(Settle());
  ASSERT_EQ(desktop.boxes().size(), 3u);
  EXPECT_EQ(desktop.boxes()[0].text, OrvaneDeliverable().aboutText);
  EXPECT_EQ(desktop.boxes()[1].text, "Error jumping to:" + (program / "output"));
  EXPECT_EQ(desktop.boxes()[2].text, "Cache svuotata");
  EXPECT_EQ(opener.requests().size(), 1u);

  // The PDF chosen in the file dialog is converted as if it had been dropped.
  desktop.Clear();
  requests.chosen = {Document("scelto.pdf")};
  RunWindowCommand(WindowCommand::kConvertPdf, window, requests);
  EXPECT_FALSE(Settle());
  EXPECT_EQ(desktop.texts().at(0), "Eseguire la conversione in formato HTML ?\r\n\r\n(file : " +
                                       requests.chosen.front() + " )");
  EXPECT_EQ(desktop.texts().at(1), "Conversione completa");
  EXPECT_TRUE(fs::exists(OutputFolder() / "scelto.html"));

  // Several chosen at once are one batch.
  desktop.Clear();
  requests.chosen = {Document("primo.pdf"), Document("secondo.pdf")};
  RunWindowCommand(WindowCommand::kConvertPdf, window, requests);
  EXPECT_FALSE(Settle());
  EXPECT_EQ(desktop.texts().at(1), "Conversione completa\r\n\r\nConvertiti 2 PDF su 2.");
}

}  // namespace
}  // namespace droplet::testing
