#include <iostream>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "common/message_box.h"
#include "common/platform.h"
#include "files/file_system.h"
#include "support/file_fixtures.h"
#include "support/workflow_rig.h"

namespace droplet::testing {
namespace {

namespace fs = std::filesystem;

const std::vector<PdfPage> kItalianPages = {
    {{"Relazione annuale", "Qualità e città: perché è così"}, false},
    {{"Seconda pagina", "Più attività"}, true},
    {{"Terza pagina"}, false}};

// The error report of a failure raised by `source`: "description - source - number".
void ExpectFailureReport(const RecordedBox& box, const std::string& source) {
  EXPECT_EQ(box.style, kMbOk);
  EXPECT_EQ(box.title, kApplicationTitle);
  EXPECT_TRUE(std::regex_match(box.text, std::regex(".+ - " + source + " - [1-9][0-9]*")))
      << box.text;
}

using ConversionRunTest = WorkflowTest;

TEST_F(ConversionRunTest, TessikConvertsTheDropAndOffersItsResult) {
  auto& window = Window(TessikDeliverable());
  const std::string pdf = Document("relazione.pdf", kItalianPages);
  EXPECT_FALSE(Drop({pdf}));

  ASSERT_EQ(desktop.boxes().size(), 3u);
  EXPECT_EQ(desktop.boxes()[0].text,
            "Eseguire la conversione in formato TESTO ?\r\n\r\n(file : " + pdf + " )");
  EXPECT_EQ(desktop.boxes()[0].title, ";-)");
  EXPECT_EQ(desktop.boxes()[0].style, 0x1044u);
  EXPECT_EQ(desktop.boxes()[1].text, "Conversione completa");
  EXPECT_EQ(desktop.boxes()[1].style, kMbOk);
  EXPECT_EQ(desktop.boxes()[1].title, kApplicationTitle);
  EXPECT_EQ(desktop.boxes()[2].text, "Aprire il file per la visualizzazione ?");
  EXPECT_EQ(desktop.boxes()[2].style, 0x44u);
  EXPECT_EQ(desktop.boxes()[2].title, kApplicationTitle);

  EXPECT_FALSE(window.PdfPath().empty());
  EXPECT_EQ(window.CommandLineField(),
            BuildCommandLine(TessikDeliverable(), window.PdfPath(), program.str()));
  const std::string text = ReadFile(PathFromUtf8(ResultPath()));
  EXPECT_NE(text.find("Qualità e città: perché è così"), std::string::npos) << text;
  EXPECT_NE(text.find("Più attività"), std::string::npos);
  EXPECT_NE(text.find("Terza pagina"), std::string::npos);

  ASSERT_EQ(opener.requests().size(), 2u);
  EXPECT_EQ(opener.requests()[0].target, window.OutputFolder());
  EXPECT_EQ(opener.requests()[1].target, ResultPath());
  EXPECT_EQ(opener.requests()[1].parameters, "");
  EXPECT_EQ(opener.requests()[1].workingFolder, program.str());

  EXPECT_EQ(NamesIn(program.path()), std::vector<std::string>{"output"});
  EXPECT_TRUE(fs::exists(PathFromUtf8(pdf)));  // the user's own file is left alone
  EXPECT_FALSE(desktop.busy());
  EXPECT_EQ(desktop.busyChanges(), 2);
}

// Results accumulate in the output folder; a text file lying beside the program (a readme, the
// user's notes) is not a result and stays where it is.
TEST_F(ConversionRunTest, TessikAccumulatesResultsAndLeavesStrayTextFilesAlone) {
  Window(TessikDeliverable());
  EXPECT_FALSE(Drop({Document("primo.pdf")}));
  const std::string first = ResultPath();

  WriteFile(program.path() / "appunti.txt", "appunti");
  desktop.Clear();
  desktop.Answer(kIdYes);
  desktop.Answer(kIdOk);
  desktop.Answer(kIdNo);  // do not open the result
  EXPECT_FALSE(Drop({Document("SECONDO.PDF")}));

  EXPECT_TRUE(fs::exists(PathFromUtf8(first)));
  EXPECT_TRUE(fs::exists(PathFromUtf8(ResultPath())));
  EXPECT_FALSE(fs::exists(OutputFolder() / "appunti.txt"));
  EXPECT_EQ(ReadFile(program.path() / "appunti.txt"), "appunti");
  EXPECT_EQ(NamesIn(program.path()), (std::vector<std::string>{"appunti.txt", "output"}));
  // The second run opened the output folder only.
  ASSERT_EQ(opener.requests().size(), 3u);
  EXPECT_EQ(opener.requests()[2].target, program / "output");
  EXPECT_EQ(desktop.boxes().size(), 3u);
}

TEST_F(ConversionRunTest, OrvaneMovesCompletePagesIntoAnEmptiedOutputFolder) {
  if (!TestConverterFolder().empty()) {
    // The test converter writes placeholder images: the check still holds, only less of it.
    std::cout << "page images come from the test converter\n";
  }
  auto& window = Window(OrvaneDeliverable());
  fs::create_directories(OutputFolder() / "vecchia" / "sotto");
  WriteFile(OutputFolder() / "vecchio.html", "old");
  WriteFile(OutputFolder() / "vecchia" / "sotto" / "f.png", "old");
  // Files of other documents, and a page left behind by an earlier run: not this run's to move.
  WriteFile(program.path() / "altro001.png", "other");
  WriteFile(program.path() / "prima-1.html", "<img src=\"prima001.png\"/>");
  WriteFile(program.path() / "prima001.png", "earlier");
  WriteFile(program.path() / "LEGGIMI.txt", "readme");

  EXPECT_FALSE(Drop({Document("doc.pdf", kItalianPages)}));
  EXPECT_EQ(desktop.texts().at(1), "Conversione completa");
  EXPECT_EQ(opener.Targets().back(), ResultPath());
  EXPECT_EQ(ResultPath(), window.OutputFolder() + Sep() + "doc.html");

  const std::vector<std::string> expected = {"doc-1.html", "doc-2.html",  "doc-3.html",
                                             "doc.html",   "doc001.png",  "doc002.png",
                                             "doc003.png", "doc_ind.html"};
  EXPECT_EQ(NamesIn(OutputFolder()), expected);
  const std::regex source("src=\"([^\"]+)\"");
  int images = 0;
  for (const auto& page : {"doc-1.html", "doc-2.html", "doc-3.html"}) {
    const std::string html = ReadFile(OutputFolder() / page);
    for (std::sregex_iterator it(html.begin(), html.end(), source), end; it != end; ++it) {
      EXPECT_TRUE(fs::exists(OutputFolder() / (*it)[1].str())) << page << " needs " << (*it)[1];
      ++images;
    }
  }
  EXPECT_EQ(images, 3);
  EXPECT_EQ(NamesIn(program.path()),
            (std::vector<std::string>{"LEGGIMI.txt", "altro001.png", "output", "prima-1.html",
                                      "prima001.png"}));
}

// Files beside the program that the converter would write over, given the PDF's own name, stay
// as they are: the copy takes a name of its own, and the results follow it. The user's PDF
// lying there itself is never the run's to delete.
TEST_F(ConversionRunTest, TheCopyTakesANameUnderWhichTheConverterOverwritesNothing) {
  for (const Deliverable* deliverable : {&OrvaneDeliverable(), &TessikDeliverable()}) {
    SCOPED_TRACE(deliverable->shortName);
    WorkflowRig rig(*deliverable);
    const std::string stale = deliverable->resultExtension == ".txt" ? "doc.txt" : "doc004.png";
    WriteFile(rig.program.path() / stale, "dell'utente");
    WritePdf(rig.program.path() / "doc.pdf", NumberedPages(1));
    const auto before = Snapshot(rig.program.path());

    EXPECT_FALSE(rig.Drop(Utf8(rig.program.path() / "doc.pdf")));
    EXPECT_EQ(rig.desktop.texts().at(1), "Conversione completa");
    // "doc (2).txt", or on Windows the result of that copy's short name.
    EXPECT_EQ(rig.opener.Targets().back(), rig.ResultPath());
    EXPECT_TRUE(fs::exists(PathFromUtf8(rig.ResultPath())));
    EXPECT_NE(PathFromUtf8(rig.ResultPath()).filename(), "doc" + deliverable->resultExtension);
    if (Sep() == "/") {
      EXPECT_EQ(PathFromUtf8(rig.ResultPath()).filename(),
                "doc (2)" + deliverable->resultExtension);
    }
    std::map<std::string, std::string> after = Snapshot(rig.program.path());
    for (auto it = after.begin(); it != after.end();) {
      it = it->first.starts_with("output") ? after.erase(it) : std::next(it);
    }
    EXPECT_EQ(after, before);
  }
}

TEST_F(ConversionRunTest, MissingConverterShowsTheMissingResultsAndEndsTheProgram) {
  TempFolder empty;
  for (const Deliverable* deliverable : {&OrvaneDeliverable(), &TessikDeliverable()}) {
    SCOPED_TRACE(deliverable->shortName);
    desktop.Clear();
    MainWindowWorkflow window(*deliverable, desktop, opener, program.str());
    fs::create_directories(OutputFolder());
    WriteFile(OutputFolder() / "precedente.html", "old");

    SearchPathScope noConverters(empty.str());
    const DragData data{true, {Document("doc.pdf")}};
    window.FormOLEDragOver(data, kDropEffectCopy);
    window.FormOLEDragDrop(data);
    EXPECT_TRUE(testing::Settle(window, desktop));

    ASSERT_EQ(desktop.boxes().size(), 2u);
    EXPECT_EQ(desktop.boxes()[1].text.rfind(
                  "File " + deliverable->resultPattern + " NON trovato.\r\n\r\n- Inserire", 0),
              0u);
    EXPECT_EQ(desktop.boxes()[1].style, kMbOk);
    EXPECT_TRUE(desktop.ended());
    EXPECT_FALSE(desktop.busy());
    // Orvane empties the output folder before the run, also when the run then fails.
    EXPECT_EQ(fs::exists(OutputFolder() / "precedente.html"), !deliverable->emptiesOutputBeforeRun);
  }
  EXPECT_TRUE(opener.requests().empty());
}

// An installed program works in a folder of the user's: the run scratches there and its results
// go to the output folder there, while the program folder, which holds files that are not the
// run's to move or delete, stays exactly as it was. The run follows the settings file of the
// settings folder, the one the options dialog writes.
TEST_F(ConversionRunTest, AWorkFolderApartFromTheProgramFolderTakesEveryFileOfTheRun) {
  TempFolder work;
  TempFolder settings;
  WriteFile(program.path() / "LEGGIMI.txt", "installato");
  WriteFile(program.path() / "manuale.pdf", "%PDF");
  const auto installed = Snapshot(program.path());
  for (const Deliverable* deliverable : {&OrvaneDeliverable(), &TessikDeliverable()}) {
    SCOPED_TRACE(deliverable->shortName);
    desktop.Clear();
    opener.Clear();
    // The settings are read where the settings folder is, not beside the program.
    WriteFile(settings.path() / deliverable->iniFileName, "[Folders]\nopen=0\n");
    WriteFile(program.path() / deliverable->iniFileName, "[Folders]\nopen=1\n");
    MainWindowWorkflow window(
        *deliverable, desktop, opener,
        {.program = program.str(), .work = work.str(), .settings = settings.str()});
    // An 8.3 name: on Windows the converter is given the copy's short name.
    EXPECT_FALSE(DropOnto(window, desktop, {Document("tesi.pdf", kItalianPages)}));
    EXPECT_EQ(desktop.texts().at(1), "Conversione completa");
    EXPECT_EQ(window.OutputFolder(), work / "output");
    const std::string result =
        window.OutputFolder() + Sep() + "tesi" + deliverable->resultExtension;
    EXPECT_TRUE(fs::exists(PathFromUtf8(result)));
    EXPECT_EQ(NamesIn(work.path()), std::vector<std::string>{"output"});
    EXPECT_EQ(opener.Targets(), std::vector<std::string>{result});
    fs::remove(program.path() / deliverable->iniFileName);
  }
  EXPECT_EQ(Snapshot(program.path()), installed);
}

TEST_F(ConversionRunTest, PdfsLyingInTheProgramFolderAreKeptTheDroppedOneToo) {
  Window(TessikDeliverable());
  const std::string own = program / "mio.pdf";
  WritePdf(PathFromUtf8(own), NumberedPages(3));
  const std::string bytes = ReadFile(PathFromUtf8(own));
  WriteFile(program.path() / "avanzo.pdf", "scratch");

  EXPECT_FALSE(Drop({own}));

  EXPECT_EQ(desktop.texts().at(1), "Conversione completa");
  EXPECT_EQ(ReadFile(PathFromUtf8(own)), bytes);
  EXPECT_EQ(ReadFile(program.path() / "avanzo.pdf"), "scratch");
  EXPECT_EQ(NamesIn(program.path()), (std::vector<std::string>{"avanzo.pdf", "mio.pdf", "output"}));
  EXPECT_NE(ReadFile(PathFromUtf8(ResultPath())).find("Pagina 3"), std::string::npos);
}

// Orvane empties its output folder before the run: a PDF dropped from anywhere inside it comes
// back where it lay, also when the run then fails, and the folder is left alone when the PDF
// could not be copied into the program folder.
TEST_F(ConversionRunTest, OrvaneKeepsAPdfDroppedFromInsideTheOutputFolder) {
  Window(OrvaneDeliverable());
  const fs::path top = OutputFolder() / "dentro.pdf";
  const fs::path deep = OutputFolder() / "cartella" / "sotto.pdf";
  fs::create_directories(deep.parent_path());
  WritePdf(top, NumberedPages(1));
  WritePdf(deep, NumberedPages(2));
  const std::string topBytes = ReadFile(top);
  const std::string deepBytes = ReadFile(deep);
  WriteFile(OutputFolder() / "vecchio.html", "old");

  EXPECT_FALSE(Drop({Utf8(top)}));
  EXPECT_EQ(desktop.texts().at(1), "Conversione completa");
  EXPECT_EQ(ReadFile(top), topBytes);
  EXPECT_FALSE(fs::exists(OutputFolder() / "vecchio.html"));
  EXPECT_FALSE(fs::exists(deep));  // not the dropped file: the emptying took it
  EXPECT_TRUE(fs::exists(OutputFolder() / "dentro.html"));
  EXPECT_EQ(NamesIn(program.path()), std::vector<std::string>{"output"});

  fs::create_directories(deep.parent_path());
  WritePdf(deep, NumberedPages(2));
  desktop.Clear();
  EXPECT_FALSE(Drop({Utf8(deep)}));
  EXPECT_EQ(desktop.texts().at(1), "Conversione completa");
  EXPECT_EQ(ReadFile(deep), deepBytes);
  EXPECT_TRUE(fs::exists(OutputFolder() / "sotto.html"));

  {
    SCOPED_TRACE("the run fails");
    TempFolder empty;
    SearchPathScope noConverters(empty.str());
    desktop.Clear();
    EXPECT_TRUE(Drop({Utf8(deep)}));
    EXPECT_EQ(ReadFile(deep), deepBytes);
    EXPECT_FALSE(fs::exists(OutputFolder() / "sotto.html"));
  }
  {
    SCOPED_TRACE("a folder takes the copy's name");
    fs::remove(program.path() / "sotto.pdf");
    fs::create_directories(program.path() / "sotto.pdf");
    desktop.Clear();
    EXPECT_FALSE(Drop({Utf8(deep)}));
    EXPECT_EQ(desktop.texts().at(1), "Conversione completa");
    EXPECT_EQ(ReadFile(deep), deepBytes);
    EXPECT_TRUE(fs::exists(PathFromUtf8(ResultPath())));
    EXPECT_NE(PathFromUtf8(ResultPath()).filename(), "sotto.html");
  }
  {
    SCOPED_TRACE("the emptying fails after it took the dropped PDF");
    fs::remove_all(program.path() / "sotto.pdf");
    WritePdf(top, NumberedPages(1));
    // A hidden folder is never emptied, so the folder that holds it cannot be removed: the
    // emptying fails after the files beside it, the dropped PDF among them, are gone.
    fs::create_directories(OutputFolder() / "vecchia");
    MakeHiddenFolder(OutputFolder() / "vecchia");
    desktop.Clear();
    EXPECT_FALSE(Drop({Utf8(top)}));
    ASSERT_EQ(desktop.texts().size(), 2u);
    EXPECT_NE(desktop.texts()[1].find(" - CleanAllPath - "), std::string::npos);
    EXPECT_EQ(ReadFile(top), topBytes);
  }
}

// Orvane empties the output folder while the window answers: "Interrompi conversione" or a quit
// that comes meanwhile lets the emptying finish, puts back the dropped PDFs that lay inside,
// starts no converter and leaves no copy behind, for a single PDF and for a batch.
TEST(EmptyingTest, AStopOrAQuitDuringTheEmptyingLeavesNothingHalfDone) {
  for (const bool batch : {false, true}) {
    for (const bool quit : {false, true}) {
      SCOPED_TRACE(std::string(batch ? "batch, " : "single, ") + (quit ? "quit" : "stop"));
      WorkflowRig rig(OrvaneDeliverable());
      fs::create_directories(rig.OutputFolder() / "vecchia");
      for (int i = 1; i <= 300; ++i) {
        WriteFile(rig.OutputFolder() / "vecchia" / ("p-" + std::to_string(i) + ".html"), "x");
      }
      std::vector<std::string> pdfs;
      for (const char* name : {"uno.pdf", "due.pdf"}) {
        WritePdf(rig.OutputFolder() / name, NumberedPages(1));
        pdfs.push_back(Utf8(rig.OutputFolder() / name));
        if (!batch) break;
      }
      const std::string bytes = ReadFile(PathFromUtf8(pdfs.front()));
      // The run shows as running as soon as the emptying is under way.
      bool interrupted = false;
      rig.window.SetProgressListener([&](const RunProgress& progress) {
        if (!progress.running || std::exchange(interrupted, true)) return;
        if (quit) {
          rig.window.FormQueryUnload();
        } else {
          rig.window.MnuInterrompiClick();
        }
      });

      EXPECT_EQ(rig.Drop(pdfs), quit);
      EXPECT_TRUE(interrupted);
      EXPECT_EQ(NamesIn(rig.program.path()), std::vector<std::string>{"output"});
      std::vector<std::string> kept = {"uno.pdf"};
      if (batch) kept = {"due.pdf", "uno.pdf"};
      EXPECT_EQ(NamesIn(rig.OutputFolder()), kept);
      EXPECT_EQ(ReadFile(PathFromUtf8(pdfs.front())), bytes);
      if (!quit) {
        ASSERT_EQ(rig.desktop.texts().size(), 2u);
        EXPECT_EQ(rig.desktop.texts()[1],
                  batch ? "Conversione interrotta\r\n\r\nConvertiti 0 PDF su 2."
                        : "Conversione interrotta");
        EXPECT_FALSE(rig.desktop.busy());
      }
    }
  }
}

// The output folder holds something of the result's name that a copy cannot replace: a folder,
// or a read-only file (refused for every user, root included, where the platform allows).
TEST_F(ConversionRunTest, ResultThatCannotBeMovedStaysInTheProgramFolder) {
  Window(TessikDeliverable());
  for (const bool readOnlyFile : {false, true}) {
    SCOPED_TRACE(readOnlyFile ? "read-only file" : "folder");
    desktop.Clear();
    opener.Clear();
    // What the case before left waiting is the user's now; the copy would avoid its names.
    fs::remove(program.path() / "doc.txt");
    fs::remove(program.path() / "doc.pdf");
    fs::create_directories(OutputFolder());
    if (readOnlyFile) {
      TempFolder probe;
      WriteFile(probe.path() / "a", "a");
      WriteFile(probe.path() / "b", "b");
      MakeReadOnly(probe.path() / "b");
      if (CopyFileReplacing(probe / "a", probe / "b") == 0) {
        std::cout << "skipped the read-only case: Wine running as root lets a copy replace a "
                     "read-only file\n";
        continue;
      }
      fs::remove_all(OutputFolder() / "doc.txt");
      WriteFile(OutputFolder() / "doc.txt", "protetto");
      MakeReadOnly(OutputFolder() / "doc.txt");
    } else {
      fs::create_directories(OutputFolder() / "doc.txt");
    }

    EXPECT_FALSE(Drop({Document("doc.pdf")}));

    ASSERT_EQ(desktop.boxes().size(), 2u) << ::testing::PrintToString(desktop.texts());
    ExpectFailureReport(desktop.boxes()[1], "CopiaFileCreaCartella");
    EXPECT_NE(ReadFile(program.path() / "doc.txt").find("Pagina 2"), std::string::npos);
    EXPECT_TRUE(fs::exists(program.path() / "doc.pdf"));
    EXPECT_TRUE(opener.requests().empty());
    EXPECT_FALSE(desktop.busy());
  }
  if (!fs::is_directory(OutputFolder() / "doc.txt")) {
    EXPECT_EQ(ReadFile(OutputFolder() / "doc.txt"), "protetto");
  }
}

// The copy of a read-only PDF is read-only too; it is the run's own file and goes with the run,
// so neither this run nor the next stops at it.
TEST_F(ConversionRunTest, AReadOnlyDroppedPdfStopsNeitherThisRunNorTheNext) {
  Window(TessikDeliverable());
  const std::string pdf = Document("protetto.pdf");
  MakeReadOnly(PathFromUtf8(pdf));
  for (int run = 1; run <= 2; ++run) {
    SCOPED_TRACE("run " + std::to_string(run));
    desktop.Clear();
    EXPECT_FALSE(Drop({pdf}));
    EXPECT_EQ(desktop.texts().at(1), "Conversione completa");
    EXPECT_EQ(NamesIn(program.path()), std::vector<std::string>{"output"});
    EXPECT_TRUE(fs::exists(OutputFolder() / "protetto.txt"));
  }
  fs::permissions(PathFromUtf8(pdf), fs::perms::owner_write, fs::perm_options::add);
}

// A PDF that lay beside the program before the run is not the run's: read-only or not, it
// neither stops the run nor goes with it.
TEST_F(ConversionRunTest, ReadOnlyPdfInTheProgramFolderIsLeftAsItIs) {
  Window(TessikDeliverable());
  WriteFile(program.path() / "bloccato.pdf", "old");
  MakeReadOnly(program.path() / "bloccato.pdf");

  EXPECT_FALSE(Drop({Document("doc.pdf")}));

  ASSERT_EQ(desktop.boxes().size(), 3u);
  EXPECT_EQ(desktop.texts()[1], "Conversione completa");
  EXPECT_TRUE(fs::exists(OutputFolder() / "doc.txt"));
  EXPECT_EQ(NamesIn(program.path()), (std::vector<std::string>{"bloccato.pdf", "output"}));
  EXPECT_EQ(ReadFile(program.path() / "bloccato.pdf"), "old");
  EXPECT_FALSE(desktop.busy());
  EXPECT_EQ(desktop.busyChanges(), 2);
}

}  // namespace
}  // namespace droplet::testing
