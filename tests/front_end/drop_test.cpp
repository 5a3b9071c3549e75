#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/message_box.h"
#include "support/workflow_rig.h"

namespace droplet::testing {
namespace {

namespace fs = std::filesystem;

using DropTest = WorkflowTest;

TEST_F(DropTest, DragOverClassifiesTheDraggedData) {
  auto& window = Window(TessikDeliverable());
  const std::string pdf = Document("doc.pdf");

  EXPECT_EQ(window.DropKind(), "-");
  EXPECT_EQ(window.FormOLEDragOver({true, {pdf}}, kDropEffectCopy | 2u), kDropEffectCopy);
  EXPECT_EQ(window.DropKind(), "file");
  EXPECT_EQ(window.FormOLEDragOver({true, {pdf}}, 2u), kDropEffectNone);  // no copy allowed
  EXPECT_EQ(window.DropKind(), "file");

  // A folder may be dropped; text or other data may not.
  EXPECT_EQ(window.FormOLEDragOver({true, {documents.str(), pdf}}, kDropEffectCopy),
            kDropEffectCopy);
  EXPECT_EQ(window.DropKind(), "cartella");
  EXPECT_EQ(window.FormOLEDragOver({false, {}}, kDropEffectCopy), kDropEffectNone);
  EXPECT_EQ(window.DropKind(), "cartella");

  // Every drag-over forgets the PDF of the previous drop.
  EXPECT_FALSE(Drop({pdf}));
  EXPECT_FALSE(window.PdfPath().empty());
  window.FormOLEDragOver({true, {pdf}}, kDropEffectCopy);
  EXPECT_EQ(window.PdfPath(), "");
}

TEST_F(DropTest, WhatIsNotAnExistingPdfIsRefusedAndNothingElseHappens) {
  auto& window = Window(TessikDeliverable());
  const std::string text = documents / "relazione.txt";
  WriteFile(PathFromUtf8(text), "testo");
  const std::string vanished = Document("sparito.pdf");

  EXPECT_FALSE(Drop({text}));
  // The file goes between the drag and the drop: its short name is empty.
  const DragData data{true, {vanished}};
  window.FormOLEDragOver(data, kDropEffectCopy);
  fs::remove(PathFromUtf8(vanished));
  window.FormOLEDragDrop(data);
  EXPECT_FALSE(Settle());
  // A folder without any PDF.
  EXPECT_FALSE(Drop({documents.str()}));

  ASSERT_EQ(desktop.boxes().size(), 3u);
  EXPECT_EQ(desktop.texts(),
            (std::vector<std::string>{"Non è un file PDF", "Non è un file PDF",
                                      "La cartella non contiene file PDF da convertire."}));
  for (const auto& box : desktop.boxes()) {
    EXPECT_EQ(box.title, "Ops :-( ");
    EXPECT_EQ(box.style, 0x30u);
  }
  EXPECT_TRUE(NamesIn(program.path()).empty());
  EXPECT_TRUE(opener.requests().empty());
  EXPECT_EQ(desktop.busyChanges(), 0);
  EXPECT_EQ(window.CommandLineField(), "");
}

TEST_F(DropTest, CancelLeavesNothingBehind) {
  auto& window = Window(OrvaneDeliverable());
  desktop.Answer(kIdNo);
  EXPECT_FALSE(Drop({Document("annullato.pdf")}));

  ASSERT_EQ(desktop.boxes().size(), 2u);
  const RecordedBox& cancel = desktop.boxes()[1];
  EXPECT_EQ(cancel.text, "conversione in HTML annullata dall'utente");
  EXPECT_EQ(cancel.style, kMbSystemModal);
  EXPECT_EQ(cancel.title, "");
  EXPECT_EQ(cancel.placement, BoxPlacement::kCenterOnOwner);
  EXPECT_EQ(NamesIn(program.path()), std::vector<std::string>{});
  EXPECT_EQ(window.CommandLineField(), "");
  EXPECT_EQ(desktop.busyChanges(), 0);

  desktop.Clear();
  EXPECT_FALSE(Drop({Document("secondo.pdf")}));
  EXPECT_EQ(desktop.texts().at(1), "Conversione completa");
  EXPECT_EQ(NamesIn(program.path()), std::vector<std::string>{"output"});
}

// Several PDFs dropped together are one batch: one question, every PDF converted, one report,
// the output folder opened once, and items that are not PDFs named in the report.
TEST_F(DropTest, SeveralFilesAreOneBatchWithOneQuestionAndOneReport) {
  Window(TessikDeliverable());
  WriteFile(documents.path() / "appunti.odt", "testo");
  EXPECT_FALSE(Drop({Document("uno.pdf"), Document("due.pdf"), Document("tre.pdf"),
                     Document("quattro.pdf"), documents / "appunti.odt"}));
  EXPECT_EQ(NamesIn(OutputFolder()),
            (std::vector<std::string>{"due.txt", "quattro.txt", "tre.txt", "uno.txt"}));
  ASSERT_EQ(desktop.boxes().size(), 2u);
  EXPECT_EQ(desktop.texts()[0],
            "Eseguire la conversione in formato TESTO ?\r\n\r\n"
            "4 file PDF: uno.pdf, due.pdf, tre.pdf e un altro");
  EXPECT_EQ(desktop.boxes()[0].title, ";-)");
  EXPECT_EQ(desktop.texts()[1],
            "Conversione completa\r\n\r\nConvertiti 4 PDF su 4.\r\n"
            "- appunti.odt: non è un file PDF");
  EXPECT_EQ(desktop.boxes()[1].title, kApplicationTitle);
  ASSERT_EQ(opener.requests().size(), 1u);
  EXPECT_EQ(opener.requests()[0].target, program / "output");
  EXPECT_EQ(NamesIn(program.path()), std::vector<std::string>{"output"});
  EXPECT_EQ(desktop.busyChanges(), 2);
}

// A batch that the user declines leaves nothing behind: its PDFs are copied only when their
// turn comes.
TEST_F(DropTest, ADeclinedBatchCopiesNothing) {
  Window(OrvaneDeliverable());
  desktop.Answer(kIdNo);
  EXPECT_FALSE(Drop({Document("uno.pdf"), Document("due.pdf")}));
  EXPECT_EQ(desktop.texts(),
            (std::vector<std::string>{"Eseguire la conversione in formato HTML ?\r\n\r\n"
                                      "2 file PDF: uno.pdf e due.pdf",
                                      "conversione in HTML annullata dall'utente"}));
  EXPECT_TRUE(NamesIn(program.path()).empty());
}

// A folder dropped alone: the PDFs directly inside it, in name order, subfolders left out; two
// PDFs of one name from different folders keep both results; a damaged PDF is one line of the
// report and the others are converted all the same.
TEST_F(DropTest, AFolderIsABatchOfItsPdfsAndAFailureIsOneLine) {
  Window(OrvaneDeliverable());
  TempFolder other;
  const fs::path folder = documents.path() / "cartella";
  fs::create_directories(folder / "sotto");
  WritePdf(folder / "b.pdf", NumberedPages(1));
  WritePdf(folder / "A.pdf", NumberedPages(2));
  WritePdf(folder / "sotto" / "c.pdf", NumberedPages(1));
  WriteFile(folder / "rotto.pdf", "%PDF-1.4 non è davvero un PDF");
  WritePdf(other.path() / "b.pdf", NumberedPages(1));

  EXPECT_FALSE(Drop({Utf8(folder)}));
  ASSERT_EQ(desktop.texts().size(), 2u);
  EXPECT_EQ(desktop.texts()[0],
            "Eseguire la conversione in formato HTML ?\r\n\r\n3 file PDF: A.pdf, b.pdf e "
            "rotto.pdf");
  EXPECT_TRUE(desktop.texts()[1].starts_with(
      "Conversione completa\r\n\r\nConvertiti 2 PDF su 3.\r\n- rotto.pdf: il convertitore "))
      << desktop.texts()[1];
  EXPECT_TRUE(fs::exists(OutputFolder() / "A.html"));
  EXPECT_TRUE(fs::exists(OutputFolder() / "b-1.html"));
  EXPECT_FALSE(fs::exists(OutputFolder() / "c.html"));
  EXPECT_EQ(NamesIn(program.path()), std::vector<std::string>{"output"});

  desktop.Clear();
  EXPECT_FALSE(Drop({Utf8(folder / "b.pdf"), Utf8(other.path() / "b.pdf")}));
  EXPECT_EQ(desktop.texts().at(1), "Conversione completa\r\n\r\nConvertiti 2 PDF su 2.");
  // The HTML run empties the output folder once, before the batch: both b's stay side by side.
  // "b.html" and "b (2).html" (on Windows the second after its copy's short name).
  EXPECT_TRUE(fs::exists(OutputFolder() / "b.html"));
  int indexes = 0;
  for (const std::string& name : NamesIn(OutputFolder())) indexes += name.ends_with("_ind.html");
  EXPECT_EQ(indexes, 2);
  EXPECT_FALSE(fs::exists(OutputFolder() / "A.html"));
}

// Names that a shell or cmd would read as commands, blanks and quotes: each one reaches the
// converter as one argument, and nothing else runs, whatever the current folder.
TEST_F(DropTest, FileNamesCannotInjectCommands) {
  Window(TessikDeliverable());
  CurrentFolderScope inProgramFolder(program.path());
  const std::vector<std::string> names = {"a;touch x.pdf", "$(touch y).pdf", "a&b.pdf",
                                          "con spazio.pdf", "l'apostrofo.pdf"};
  std::vector<std::string> results;
  for (const auto& name : names) {
    SCOPED_TRACE(name);
    desktop.Clear();
    EXPECT_FALSE(Drop({Document(name, {{{"Contenuto " + name}, false}})}));
    ASSERT_EQ(desktop.texts().size(), 3u);
    EXPECT_EQ(desktop.texts()[1], "Conversione completa");
    EXPECT_NE(ReadFile(PathFromUtf8(ResultPath())).find("Contenuto " + name), std::string::npos);
    results.push_back(Utf8(PathFromUtf8(ResultPath()).filename()));
    EXPECT_EQ(NamesIn(program.path()), std::vector<std::string>{"output"});
  }
  std::sort(results.begin(), results.end());
  EXPECT_EQ(NamesIn(OutputFolder()), results);
  EXPECT_EQ(NamesIn(documents.path()).size(), names.size());
}

TEST_F(DropTest, TheDropReturnsAtOnceAndWhatComesMeanwhileWaitsItsTurn) {
  auto& window = Window(TessikDeliverable());
  const DragData data{true, {Document("doc.pdf")}};
  window.FormOLEDragOver(data, kDropEffectCopy);
  window.FormOLEDragDrop(data);
  // The drag source is free again before anything is copied or asked.
  EXPECT_TRUE(desktop.boxes().empty());
  EXPECT_TRUE(NamesIn(program.path()).empty());
  EXPECT_TRUE(window.Busy());
  // Another drag is welcome and leaves the fields to the drop being handled; it waits its turn,
  // and so do files handed over otherwise.
  const DragData folder{true, {documents.str()}};
  EXPECT_EQ(window.FormOLEDragOver(folder, kDropEffectCopy), kDropEffectCopy);
  EXPECT_EQ(window.DropKind(), "file");
  EXPECT_EQ(window.FormOLEDragOver({false, {}}, kDropEffectCopy), kDropEffectNone);
  window.FormOLEDragDrop(folder);
  window.HandleFile(Document("due.pdf"));
  window.HandleFile(documents / "nessuno.pdf");

  EXPECT_FALSE(Settle());
  EXPECT_EQ(
      desktop.texts(),
      (std::vector<std::string>{
          "Eseguire la conversione in formato TESTO ?\r\n\r\n(file : " + (documents / "doc.pdf") +
              " )",
          "Conversione completa", "Aprire il file per la visualizzazione ?",
          "Eseguire la conversione in formato TESTO ?\r\n\r\n2 file PDF: doc.pdf e due.pdf",
          "Conversione completa\r\n\r\nConvertiti 2 PDF su 2.",
          "Eseguire la conversione in formato TESTO ?\r\n\r\n(file : " + (documents / "due.pdf") +
              " )",
          "Conversione completa", "Aprire il file per la visualizzazione ?", "Non è un file PDF"}));
  EXPECT_EQ(NamesIn(OutputFolder()), (std::vector<std::string>{"doc.txt", "due.txt"}));
  EXPECT_FALSE(window.Busy());
  EXPECT_EQ(window.FormOLEDragOver(data, kDropEffectCopy), kDropEffectCopy);
}

// "Open with" on several files starts the program once per file, and each start hands its file
// over: files handed over in quick succession, or while a run goes on, are one batch; a file
// handed over alone is the single run with every box.
TEST_F(DropTest, FilesHandedOverInQuickSuccessionAreOneBatch) {
  auto& window = Window(TessikDeliverable());
  window.HandOverFiles({Document("uno.pdf")});
  window.HandOverFiles({Document("due.pdf")});
  EXPECT_FALSE(Settle());
  EXPECT_EQ(desktop.texts(),
            (std::vector<std::string>{
                "Eseguire la conversione in formato TESTO ?\r\n\r\n2 file PDF: uno.pdf e due.pdf",
                "Conversione completa\r\n\r\nConvertiti 2 PDF su 2."}));

  desktop.Clear();
  window.HandOverFiles({Document("solo.pdf")});
  EXPECT_FALSE(Settle());
  EXPECT_EQ(desktop.texts().size(), 3u);
  EXPECT_EQ(desktop.texts().back(), "Aprire il file per la visualizzazione ?");

  desktop.Clear();
  window.HandleFile(Document("primo.pdf"));
  window.HandOverFiles({Document("tre.pdf")});
  window.HandOverFiles({Document("quattro.pdf")});
  EXPECT_FALSE(Settle());
  ASSERT_EQ(desktop.texts().size(), 5u);
  EXPECT_EQ(desktop.texts()[3],
            "Eseguire la conversione in formato TESTO ?\r\n\r\n2 file PDF: tre.pdf e quattro.pdf");
  EXPECT_EQ(NamesIn(OutputFolder()),
            (std::vector<std::string>{"due.txt", "primo.txt", "quattro.txt", "solo.txt", "tre.txt",
                                      "uno.txt"}));
}

// A read-only PDF gives a copy that is the run's own all the same: a cancelled drop removes it,
// and the same PDF dropped again converts without a complaint.
TEST_F(DropTest, ACopyOfAReadOnlyPdfNeverBlocksALaterRun) {
  Window(TessikDeliverable());
  const std::string pdf = Document("protetto.pdf");
  fs::permissions(PathFromUtf8(pdf),
                  fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  desktop.Answer(kIdNo);
  EXPECT_FALSE(Drop({pdf}));
  EXPECT_EQ(NamesIn(program.path()), std::vector<std::string>{});

  desktop.Clear();
  EXPECT_FALSE(Drop({pdf}));
  EXPECT_EQ(desktop.texts(),
            (std::vector<std::string>{
                "Eseguire la conversione in formato TESTO ?\r\n\r\n(file : " + pdf + " )",
                "Conversione completa", "Aprire il file per la visualizzazione ?"}));
  EXPECT_EQ(NamesIn(program.path()), std::vector<std::string>{"output"});
  EXPECT_TRUE(fs::exists(PathFromUtf8(pdf)));
}

}  // namespace
}  // namespace droplet::testing
