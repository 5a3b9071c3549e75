// Faults around a conversion run: protected or immovable files in the output folder, a folder
// that refuses writes, a full file system, a converter that dies or leaves a process behind, and
// a settings file that cannot be used. Each ends in its message (or silence), loses nothing, and
// leaves the program able to run again.

#include <gtest/gtest.h>
#include <sys/mount.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "common/quoting.h"
#include "settings/ini_settings.h"
#include "support/file_fixtures.h"
#include "support/pdf_writer.h"
#include "support/workflow_rig.h"

namespace droplet::testing {
namespace {

namespace fs = std::filesystem;

const char kMissingTextResults[] = "File *.txt NON trovato.";

// Runs a shell command, true on exit status 0.
bool Shell(const std::string& command) {
  return std::system(command.c_str()) == 0;
}

std::string Quoted(const fs::path& path) {
  return QuoteForPosixShell(path.string());
}

// A small memory file system mounted on `folder` while the object lives.
class SmallMount {
 public:
  SmallMount(const fs::path& folder, const std::string& size) : folder_(folder) {
    active = Shell("mount -t tmpfs -o size=" + size + " tmpfs " + Quoted(folder_) + " 2>/dev/null");
  }
  ~SmallMount() {
    if (active) ::umount2(folder_.c_str(), MNT_DETACH);
  }
  SmallMount(const SmallMount&) = delete;
  SmallMount& operator=(const SmallMount&) = delete;
  bool active = false;

 private:
  fs::path folder_;
};

// A document whose text result is far larger than a few kilobytes.
std::vector<PdfPage> BulkyPages() {
  return NumberedPages(30, 40, " con un testo abbastanza lungo da riempire lo spazio");
}

// After a fault: a fresh drop in the same program folder converts normally.
void ExpectAnotherRunWorks(WorkflowRig& rig, const std::string& name = "ancora.pdf") {
  rig.desktop.Clear();
  const fs::path pdf = rig.documents.path() / name;
  WritePdf(pdf, NumberedPages(1));
  ASSERT_FALSE(rig.Drop(Utf8(pdf)));
  ASSERT_EQ(rig.desktop.texts().size(), 3u);
  EXPECT_EQ(rig.desktop.texts()[1], "Conversione completa");
  EXPECT_TRUE(fs::exists(rig.OutputFolder() /
                         ConverterResultName(name, rig.window.deliverable().resultExtension)));
}

TEST(OutputFolderFaults, ProtectedAndHiddenFilesAreEmptiedBeforeAnHtmlRun) {
  WorkflowRig rig(OrvaneDeliverable());
  fs::create_directories(rig.OutputFolder() / "vecchia" / "annidata");
  WriteFile(rig.OutputFolder() / "protetto.html", "vecchio");
  MakeReadOnly(rig.OutputFolder() / "protetto.html");
  WriteFile(rig.OutputFolder() / ".nascosto", "vecchio");
  WriteFile(rig.OutputFolder() / "vecchia" / "annidata" / "x.png", "vecchio");

  ExpectAnotherRunWorks(rig, "nuovo.pdf");
  for (const std::string& name : NamesIn(rig.OutputFolder())) {
    EXPECT_TRUE(name.starts_with("nuovo")) << name << " survived the emptying";
  }
}

// An "output" that is a link to a folder of the user's: the results are written through it, but
// neither the HTML run's emptying nor "Svuota cache" deletes what it points to, and the link
// stays a link.
TEST(OutputFolderFaults, ALinkedOutputFolderIsWrittenThroughAndNeverEmptied) {
  WorkflowRig rig(OrvaneDeliverable());
  TempFolder documents;
  WriteFile(documents.path() / "tesi.odt", "mia");
  WriteFile(documents.path() / ".nascosto", "mio");
  fs::create_directory_symlink(documents.path(), rig.OutputFolder());
  const auto before = Snapshot(documents.path());

  ExpectAnotherRunWorks(rig, "nuovo.pdf");
  EXPECT_TRUE(fs::is_symlink(rig.OutputFolder()));
  EXPECT_TRUE(fs::exists(documents.path() / "nuovo.html"));
  for (const auto& [name, bytes] : before) {
    EXPECT_EQ(ReadFile(documents.path() / name), bytes) << name;
  }

  rig.desktop.Clear();
  rig.window.MnuSvuotaClick();
  EXPECT_FALSE(rig.Settle());
  ASSERT_EQ(rig.desktop.texts().size(), 1u);
  EXPECT_TRUE(rig.desktop.texts()[0].starts_with("La cartella output è un collegamento"))
      << rig.desktop.texts()[0];
  EXPECT_TRUE(fs::exists(documents.path() / "tesi.odt"));
  EXPECT_TRUE(fs::exists(documents.path() / ".nascosto"));
  EXPECT_TRUE(fs::exists(documents.path() / "nuovo.html"));
}

TEST(OutputFolderFaults, AnEntryThatCannotBeRemovedStopsTheHtmlRunWithItsReport) {
  WorkflowRig rig(OrvaneDeliverable());
  // A hidden folder is never emptied, so the folder that holds it cannot be removed.
  fs::create_directories(rig.OutputFolder() / "vecchia" / ".nascosta");
  const fs::path pdf = rig.documents.path() / "documento.pdf";
  WritePdf(pdf, NumberedPages(1));
  const auto sourceBefore = Snapshot(rig.documents.path());

  EXPECT_FALSE(rig.Drop(Utf8(pdf)));
  ASSERT_EQ(rig.desktop.texts().size(), 2u);
  EXPECT_NE(rig.desktop.texts()[1].find(" - CleanAllPath - "), std::string::npos)
      << rig.desktop.texts()[1];
  EXPECT_EQ(rig.desktop.boxes()[1].style, kMbOk);
  EXPECT_FALSE(rig.desktop.busy());
  EXPECT_EQ(Snapshot(rig.documents.path()), sourceBefore);
  EXPECT_TRUE(rig.opener.Targets().empty());

  fs::remove_all(rig.OutputFolder() / "vecchia");
  ExpectAnotherRunWorks(rig);
}

TEST(OutputFolderFaults, AReadOnlyOldResultKeepsTheNewResultInTheProgramFolder) {
  WorkflowRig rig(TessikDeliverable());
  fs::create_directory(rig.OutputFolder());
  WriteFile(rig.OutputFolder() / "documento.txt", "vecchio");
  MakeReadOnly(rig.OutputFolder() / "documento.txt");
  const fs::path pdf = rig.documents.path() / "documento.pdf";
  WritePdf(pdf, {PdfPage{{"testo nuovo"}, false}});

  EXPECT_FALSE(rig.Drop(Utf8(pdf)));
  ASSERT_EQ(rig.desktop.texts().size(), 2u);
  EXPECT_NE(rig.desktop.texts()[1].find(" - CopiaFileCreaCartella - "), std::string::npos)
      << rig.desktop.texts()[1];
  EXPECT_EQ(ReadFile(rig.OutputFolder() / "documento.txt"), "vecchio");
  EXPECT_NE(ReadFile(rig.program.path() / "documento.txt").find("testo nuovo"), std::string::npos)
      << "the new result must wait in the program folder, not be deleted";

  fs::permissions(rig.OutputFolder() / "documento.txt", fs::perms::owner_write,
                  fs::perm_options::add);
  ExpectAnotherRunWorks(rig);
  // The waiting result is no longer that run's: it stays where it waits, for the user.
  EXPECT_NE(ReadFile(rig.program.path() / "documento.txt").find("testo nuovo"), std::string::npos);
}

TEST(OutputFolderFaults, AFolderThatRefusesWritesKeepsTheResultsInTheProgramFolder) {
  // Permission bits do not stop root, so the folder is made immutable instead.
  for (const Deliverable* deliverable : {&TessikDeliverable(), &OrvaneDeliverable()}) {
    WorkflowRig rig(*deliverable);
    fs::create_directory(rig.OutputFolder());
    const fs::path pdf = rig.documents.path() / "documento.pdf";
    WritePdf(pdf, NumberedPages(1));
    {
      ImmutableFolder frozen(rig.OutputFolder());
      if (!frozen.active) GTEST_SKIP() << "chattr +i refused: cannot make a folder read-only";
      EXPECT_FALSE(rig.Drop(Utf8(pdf)));
    }
    ASSERT_EQ(rig.desktop.texts().size(), 2u) << deliverable->shortName;
    EXPECT_NE(rig.desktop.texts()[1].find(" - CopiaFileCreaCartella - "), std::string::npos)
        << rig.desktop.texts()[1];
    EXPECT_TRUE(fs::exists(rig.program.path() / ("documento" + deliverable->resultExtension)));
    EXPECT_EQ(NamesIn(rig.OutputFolder()), std::vector<std::string>{});
    ExpectAnotherRunWorks(rig);
  }
}

TEST(OutputFolderFaults, AFullFileSystemKeepsTheResultsAndReportsTheFailure) {
  for (const Deliverable* deliverable : {&TessikDeliverable(), &OrvaneDeliverable()}) {
    WorkflowRig rig(*deliverable);
    fs::create_directory(rig.OutputFolder());
    const fs::path pdf = rig.documents.path() / "documento.pdf";
    WritePdf(pdf, BulkyPages());
    const auto sourceBefore = Snapshot(rig.documents.path());
    {
      SmallMount small(rig.OutputFolder(), "8k");
      if (!small.active) GTEST_SKIP() << "mount refused (needs root): no small file system";
      EXPECT_FALSE(rig.Drop(Utf8(pdf)));
      ASSERT_EQ(rig.desktop.texts().size(), 2u) << deliverable->shortName;
      EXPECT_NE(rig.desktop.texts()[1].find(" - 28"), std::string::npos)
          << "expected the no-space failure: " << rig.desktop.texts()[1];
      for (const std::string& name : NamesIn(rig.OutputFolder())) {
        EXPECT_FALSE(name.starts_with(".droplet-copy")) << "a half copy was left: " << name;
      }
      if (deliverable->resultExtension == ".txt") {
        EXPECT_EQ(NamesIn(rig.OutputFolder()), std::vector<std::string>{})
            << "a result that did not fit must not appear in part";
      }
    }
    EXPECT_EQ(Snapshot(rig.documents.path()), sourceBefore);
    const std::string result = "documento" + deliverable->resultExtension;
    ASSERT_TRUE(fs::exists(rig.program.path() / result));
    if (deliverable->resultExtension == ".txt") {
      EXPECT_NE(ReadFile(rig.program.path() / result).find("Pagina 30 riga 1 "), std::string::npos);
    }
    ExpectAnotherRunWorks(rig);
  }
}

// A fake converter first on the search path.
class FakeConverterTest : public ::testing::Test {
 protected:
  void Install(const std::string& body) {
    WriteScript(bin.path() / "pdftotext", body);
    WriteScript(bin.path() / "pdftohtml", body);
  }
  TempFolder bin;
};

TEST_F(FakeConverterTest, AConverterKilledBeforeItWritesEndsInTheMissingResultsCase) {
  Install("kill -KILL $$\n");
  WorkflowRig rig(TessikDeliverable());
  const fs::path pdf = rig.documents.path() / "documento.pdf";
  WritePdf(pdf, NumberedPages(1));
  const auto sourceBefore = Snapshot(rig.documents.path());
  {
    SearchPathScope first(SearchPathWith(bin.str()));
    EXPECT_TRUE(rig.Drop(Utf8(pdf)));
  }
  ASSERT_EQ(rig.desktop.texts().size(), 2u);
  EXPECT_TRUE(rig.desktop.texts()[1].starts_with(kMissingTextResults));
  EXPECT_FALSE(rig.desktop.busy());
  EXPECT_EQ(Snapshot(rig.documents.path()), sourceBefore);
  EXPECT_EQ(CountChildren(), 0);

  // The program is started again and the real converter is back.
  WorkflowRig next(TessikDeliverable());
  ExpectAnotherRunWorks(next);
}

TEST_F(FakeConverterTest, TheRunWaitsForAProcessThatStillHoldsTheOutput) {
  // The converter returns at once; a process it leaves behind writes the result later and keeps
  // the inherited output open until then.
  Install("( sleep 2; printf 'scritto dopo\\n' > \"${1%.pdf}.txt\" ) &\nexit 0\n");
  WorkflowRig rig(TessikDeliverable());
  const fs::path pdf = rig.documents.path() / "documento.pdf";
  WritePdf(pdf, NumberedPages(1));
  const auto start = std::chrono::steady_clock::now();
  {
    SearchPathScope first(SearchPathWith(bin.str()));
    EXPECT_FALSE(rig.Drop(Utf8(pdf)));
  }
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1900));
  ASSERT_EQ(rig.desktop.texts().size(), 3u);
  EXPECT_EQ(rig.desktop.texts()[1], "Conversione completa");
  EXPECT_EQ(ReadFile(rig.OutputFolder() / "documento.txt"), "scritto dopo\n");
  EXPECT_EQ(CountChildren(), 0);
  ExpectAnotherRunWorks(rig);
}

// A converter that has begun its results (the names `deliverable`'s converter writes), prints
// its first page, then waits with a child of its own. Its process id goes into the file `pid`
// beside it once its partial results exist.
std::string SlowConverter(const fs::path& bin, const Deliverable& deliverable) {
  const std::string partial = deliverable.resultExtension == ".txt"
                                  ? "printf 'mezzo' > \"$stem.txt\"\n"
                                  : "printf x > \"$stem-1.html\"; printf x > \"${stem}001.png\"\n";
  return "for f; do :; done\nstem=\"${f%.pdf}\"\n" + partial +
         "printf 'Page-1\\n'\n"
         "echo $$ > " +
         Quoted(bin / "pid") +
         "\n"
         "sleep 30 & sleep 30\n";
}

// Drops `pdf` (the confirmation answered Yes) and serves the window until the slow converter
// runs; returns its process id, which is also its process group's.
int DropAndWaitForTheConverter(WorkflowRig& rig, const fs::path& pdf, const fs::path& bin) {
  const DragData data{true, {Utf8(pdf)}};
  rig.window.FormOLEDragOver(data, kDropEffectCopy);
  rig.window.FormOLEDragDrop(data);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (ReadFile(bin / "pid").empty() && std::chrono::steady_clock::now() < deadline) {
    rig.desktop.WaitForPostedCalls(std::chrono::milliseconds(20));
  }
  const std::string pid = ReadFile(bin / "pid");
  return pid.empty() ? -1 : std::stoi(pid);
}

TEST_F(FakeConverterTest, StopRemovesWhatTheRunWroteKeepsEverythingElseAndTheNextRunWorks) {
  for (const Deliverable* deliverable : {&OrvaneDeliverable(), &TessikDeliverable()}) {
    SCOPED_TRACE(deliverable->shortName);
    Install(SlowConverter(bin.path(), *deliverable));
    fs::remove(bin.path() / "pid");
    WorkflowRig rig(*deliverable);
    WriteFile(rig.program.path() / "appunti.txt", "dell'utente");
    fs::create_directories(rig.OutputFolder());
    const fs::path pdf = rig.documents.path() / "documento.pdf";
    WritePdf(pdf, NumberedPages(3));
    const auto sourceBefore = Snapshot(rig.documents.path());
    {
      SearchPathScope first(SearchPathWith(bin.str()));
      const int converter = DropAndWaitForTheConverter(rig, pdf, bin.path());
      ASSERT_GT(converter, 0);
      EXPECT_TRUE(rig.window.Running());
      EXPECT_TRUE(rig.desktop.busy());
      // Saved beside the program during the run, under a name that begins like the copy's:
      // the user's, not the converter's.
      WriteFile(rig.program.path() / "documento-appunti.odt", "dell'utente");

      rig.window.MnuInterrompiClick();
      EXPECT_FALSE(rig.Settle());
      EXPECT_EQ(LivingProcessesInGroup(converter), 0);
    }
    EXPECT_EQ(rig.desktop.texts().back(), "Conversione interrotta");
    EXPECT_EQ(rig.desktop.boxes().back().title, kApplicationTitle);
    EXPECT_EQ(rig.desktop.texts().size(), 2u);
    EXPECT_FALSE(rig.desktop.busy());
    EXPECT_FALSE(rig.window.Progress().running);
    EXPECT_EQ(NamesIn(rig.program.path()),
              (std::vector<std::string>{"appunti.txt", "documento-appunti.odt", "output"}));
    EXPECT_EQ(NamesIn(rig.OutputFolder()), std::vector<std::string>{});
    EXPECT_EQ(Snapshot(rig.documents.path()), sourceBefore);
    EXPECT_EQ(CountChildren(), 0);
    ExpectAnotherRunWorks(rig);
  }
}

// The converter's exit status counts: a failure with results keeps them and says so instead of
// "Conversione completa"; a result lying there from before is never taken for this run's; a
// converter the interpreter cannot find is said not to have started.
TEST_F(FakeConverterTest, AFailedConverterIsNeverReportedAsASuccess) {
  Install(
      "for f; do :; done\nprintf 'parziale' > \"${f%.pdf}.txt\"\n"
      "echo 'Syntax Error: Couldn'\\''t read xref table'\nexit 3\n");
  WorkflowRig rig(TessikDeliverable());
  const fs::path pdf = rig.documents.path() / "documento.pdf";
  WritePdf(pdf, NumberedPages(1));
  {
    SearchPathScope first(SearchPathWith(bin.str()));
    EXPECT_FALSE(rig.Drop(Utf8(pdf)));
  }
  ASSERT_EQ(rig.desktop.texts().size(), 3u);
  const RecordedBox& report = rig.desktop.boxes()[1];
  EXPECT_TRUE(report.text.starts_with("Il convertitore ha segnalato un errore")) << report.text;
  EXPECT_NE(report.text.find("codice 3"), std::string::npos) << report.text;
  EXPECT_NE(report.text.find("Couldn't read xref table"), std::string::npos) << report.text;
  EXPECT_EQ(report.style, kMbIconExclamation);
  EXPECT_EQ(ReadFile(rig.OutputFolder() / "documento.txt"), "parziale");
  EXPECT_EQ(NamesIn(rig.program.path()), std::vector<std::string>{"output"});

  rig.desktop.Clear();
  Install("exit 1\n");
  WriteFile(rig.program.path() / "documento.txt", "di un'altra volta");
  {
    SearchPathScope first(SearchPathWith(bin.str()));
    EXPECT_TRUE(rig.Drop(Utf8(pdf)));
  }
  ASSERT_EQ(rig.desktop.texts().size(), 2u);
  EXPECT_TRUE(rig.desktop.texts()[1].starts_with(kMissingTextResults));
  EXPECT_EQ(ReadFile(rig.program.path() / "documento.txt"), "di un'altra volta");

  rig.desktop.Clear();
  {
    TempFolder empty;
    SearchPathScope none(empty.str());
    WorkflowRig again(TessikDeliverable());
    EXPECT_TRUE(again.Drop(Utf8(pdf)));
    ASSERT_EQ(again.desktop.texts().size(), 2u);
    EXPECT_NE(again.desktop.texts()[1].find("Il convertitore pdftotext non è partito"),
              std::string::npos)
        << again.desktop.texts()[1];
  }
}

// A box's own event loop runs what was posted meanwhile: the end of a run that comes while
// About is open waits for it to close instead of showing its boxes on top of it.
TEST_F(FakeConverterTest, TheEndOfARunWaitsForAnOpenBox) {
  Install("for f; do :; done\nsleep 0.3\nprintf 'testo' > \"${f%.pdf}.txt\"\n");
  WorkflowRig rig(TessikDeliverable());
  const fs::path pdf = rig.documents.path() / "documento.pdf";
  WritePdf(pdf, NumberedPages(1));
  SearchPathScope first(SearchPathWith(bin.str()));
  const DragData data{true, {Utf8(pdf)}};
  rig.window.FormOLEDragOver(data, kDropEffectCopy);
  rig.window.FormOLEDragDrop(data);
  while (!rig.window.Running()) rig.desktop.WaitForPostedCalls(std::chrono::milliseconds(20));

  rig.desktop.ServePostedCallsInBoxes(std::chrono::milliseconds(1500));
  rig.window.MnuInfoClick();
  rig.desktop.ServePostedCallsInBoxes(std::chrono::milliseconds(0));
  EXPECT_FALSE(rig.Settle());

  EXPECT_EQ(rig.desktop.nestedBoxes(), 0);
  ASSERT_EQ(rig.desktop.texts().size(), 4u);
  EXPECT_EQ(rig.desktop.texts()[1], TessikDeliverable().aboutText);
  EXPECT_EQ(rig.desktop.texts()[2], "Conversione completa");
  EXPECT_EQ(ReadFile(rig.OutputFolder() / "documento.txt"), "testo");
}

// A batch converts as many documents at once as the machine has cores (at most four), and the
// report keeps the batch's order whatever order they end in.
TEST_F(FakeConverterTest, ABatchRunsSideBySideAndReportsInItsOrder) {
  const fs::path log = bin.path() / "log";
  Install("for f; do :; done\necho s >> " + Quoted(log) +
          "\nsleep 0.5\nprintf 'testo' > \"${f%.pdf}.txt\"\necho e >> " + Quoted(log) +
          "\ncase \"$f\" in *secondo*) exit 2;; esac\n");
  WorkflowRig rig(TessikDeliverable());
  std::vector<std::string> pdfs;
  for (const char* name : {"primo.pdf", "secondo.pdf", "terzo.pdf", "quarto.pdf"}) {
    WritePdf(rig.documents.path() / name, NumberedPages(1));
    pdfs.push_back(Utf8(rig.documents.path() / name));
  }
  SearchPathScope first(SearchPathWith(bin.str()));
  EXPECT_FALSE(rig.Drop(pdfs));
  ASSERT_EQ(rig.desktop.texts().size(), 2u);
  EXPECT_EQ(rig.desktop.texts()[1],
            "Conversione completa\r\n\r\nConvertiti 3 PDF su 4.\r\n- secondo.pdf: il "
            "convertitore è terminato con il codice 2; i risultati sono comunque in output");
  EXPECT_EQ(NamesIn(rig.OutputFolder()),
            (std::vector<std::string>{"primo.txt", "quarto.txt", "secondo.txt", "terzo.txt"}));
  if (std::thread::hardware_concurrency() >= 2) {
    EXPECT_TRUE(ReadFile(log).starts_with("s\ns\n")) << ReadFile(log);
  }
}

// "doc-1.pdf" would give "doc-1.html", the name of the first page of "doc.pdf": the two never
// convert at once, and the later one's copy takes a name of its own once the first one's pages
// are written, so that every page of both reaches the output folder.
TEST_F(FakeConverterTest, DocumentsWhoseNamesCouldMeetKeepEveryPage) {
  Install(
      "for f; do :; done\nstem=\"${f%.pdf}\"\nname=$(basename \"$stem\")\nsleep 0.3\n"
      "printf '%s cornice' \"$name\" > \"$stem.html\"\n"
      "printf '%s pagina' \"$name\" > \"$stem-1.html\"\n");
  WorkflowRig rig(OrvaneDeliverable());
  std::vector<std::string> pdfs;
  for (const char* name : {"doc.pdf", "doc-1.pdf"}) {
    WritePdf(rig.documents.path() / name, NumberedPages(1));
    pdfs.push_back(Utf8(rig.documents.path() / name));
  }
  SearchPathScope first(SearchPathWith(bin.str()));
  EXPECT_FALSE(rig.Drop(pdfs));
  EXPECT_EQ(rig.desktop.texts().at(1), "Conversione completa\r\n\r\nConvertiti 2 PDF su 2.");
  EXPECT_EQ(ReadFile(rig.OutputFolder() / "doc.html"), "doc cornice");
  EXPECT_EQ(ReadFile(rig.OutputFolder() / "doc-1.html"), "doc pagina");
  EXPECT_EQ(ReadFile(rig.OutputFolder() / "doc-1 (2).html"), "doc-1 (2) cornice");
  EXPECT_EQ(NamesIn(rig.OutputFolder()).size(), 4u);
  EXPECT_EQ(NamesIn(rig.program.path()), std::vector<std::string>{"output"});
}

// "Interrompi conversione" stops the whole queue: the running documents' partial results go,
// nothing more starts, what waited is dropped, and the report says how many were converted.
TEST_F(FakeConverterTest, TheStopEndsTheWholeQueue) {
  Install(SlowConverter(bin.path(), TessikDeliverable()));
  fs::remove(bin.path() / "pid");
  WorkflowRig rig(TessikDeliverable());
  std::vector<std::string> pdfs;
  for (const char* name : {"uno.pdf", "due.pdf", "tre.pdf", "quattro.pdf", "cinque.pdf"}) {
    WritePdf(rig.documents.path() / name, NumberedPages(1));
    pdfs.push_back(Utf8(rig.documents.path() / name));
  }
  auto first = std::make_unique<SearchPathScope>(SearchPathWith(bin.str()));
  const DragData data{true, pdfs};
  rig.window.FormOLEDragOver(data, kDropEffectCopy);
  rig.window.FormOLEDragDrop(data);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (ReadFile(bin.path() / "pid").empty() && std::chrono::steady_clock::now() < deadline) {
    rig.desktop.WaitForPostedCalls(std::chrono::milliseconds(20));
  }
  ASSERT_TRUE(rig.window.Running());
  EXPECT_TRUE(rig.window.Progress().InBatch());
  EXPECT_EQ(rig.window.Progress().documents, 5);
  rig.window.HandleFile(pdfs.front());  // waits its turn; the stop drops it

  rig.window.MnuInterrompiClick();
  EXPECT_FALSE(rig.Settle());
  ASSERT_EQ(rig.desktop.texts().size(), 2u);
  EXPECT_EQ(rig.desktop.texts()[1], "Conversione interrotta\r\n\r\nConvertiti 0 PDF su 5.");
  EXPECT_EQ(NamesIn(rig.program.path()), std::vector<std::string>{});
  EXPECT_FALSE(rig.window.Busy());
  EXPECT_EQ(CountChildren(), 0);
  first.reset();  // the real converter again
  ExpectAnotherRunWorks(rig);
}

TEST_F(FakeConverterTest, QuittingDuringARunStopsTheConverterAndRemovesWhatItWrote) {
  Install(SlowConverter(bin.path(), OrvaneDeliverable()));
  WorkflowRig rig(OrvaneDeliverable());
  const fs::path pdf = rig.documents.path() / "documento.pdf";
  WritePdf(pdf, NumberedPages(2));
  SearchPathScope first(SearchPathWith(bin.str()));
  const int converter = DropAndWaitForTheConverter(rig, pdf, bin.path());
  ASSERT_GT(converter, 0);

  rig.desktop.Answer(kIdNo);
  EXPECT_TRUE(rig.window.FormQueryUnload());  // No: the run goes on
  EXPECT_TRUE(rig.window.Running());
  EXPECT_THROW(rig.window.FormQueryUnload(), ProgramEnded);
  EXPECT_EQ(LivingProcessesInGroup(converter), 0) << "the converter outlived the program";
  EXPECT_EQ(CountChildren(), 0);
  for (const std::string& name : NamesIn(rig.program.path())) {
    EXPECT_FALSE(name.starts_with("documento")) << name << " was left behind";
  }
  EXPECT_TRUE(fs::exists(pdf));
}

// The droplet follows the pages as each converter tells them: the HTML converter's "Page-N"
// lines, the form feed that ends each page of the text converter's result; pdfinfo gives the
// page count once the run lasts. With a page range the bar counts the pages of the range.
TEST_F(FakeConverterTest, ProgressFollowsThePagesAndEndsWithTheRun) {
  const std::string pages =
      "for f; do :; done\nstem=\"${f%.pdf}\"\n"
      "case \"$*\" in *'-f 2 -l 9 '*) list='2 3 4 5' ;; *) list='1 2 3' ;; esac\n"
      "for p in $list; do\n"
      "  case \"$0\" in *pdftohtml) printf 'Page-%s\\n' $p ;; *) printf 'p%s\\f' $p >> "
      "\"$stem.txt\" ;; esac\n"
      "  sleep 0.4\n"
      "done\n"
      "case \"$0\" in *pdftohtml) printf fatto > \"$stem.html\" ;; esac\n";
  Install(pages);
  const struct {
    const Deliverable* deliverable;
    int documentPages;
    const char* settings;
    int runPages;
  } cases[] = {{&OrvaneDeliverable(), 3, "", 3},
               {&TessikDeliverable(), 3, "", 3},
               {&OrvaneDeliverable(), 5, "[Range]\nActive=1\nStart=2\nEnd=9\n", 4}};
  for (const auto& c : cases) {
    const Deliverable* deliverable = c.deliverable;
    SCOPED_TRACE(deliverable->shortName + " " + c.settings);
    WorkflowRig rig(*deliverable);
    WriteFile(PathFromUtf8(SettingsFileIn(rig.program.str(), *deliverable).path), c.settings);
    std::vector<RunProgress> seen;
    rig.window.SetProgressListener([&](const RunProgress& progress) { seen.push_back(progress); });
    const fs::path pdf = rig.documents.path() / "documento.pdf";
    WritePdf(pdf, NumberedPages(c.documentPages));
    {
      SearchPathScope first(SearchPathWith(bin.str()));
      EXPECT_FALSE(rig.Drop(Utf8(pdf)));
    }
    ASSERT_GE(seen.size(), 3u);
    EXPECT_EQ(seen.front(), (RunProgress{true, 0, 0}));
    EXPECT_FALSE(seen.back().running);
    int mostPages = 0;
    bool counted = false;
    for (size_t i = 0; i + 1 < seen.size(); ++i) {
      EXPECT_TRUE(seen[i].running);
      EXPECT_GE(seen[i].pagesDone, mostPages) << "pages never go back";
      mostPages = std::max(mostPages, seen[i].pagesDone);
      counted = counted || seen[i].pageCount == c.runPages;
    }
    EXPECT_EQ(mostPages, c.runPages);
    EXPECT_TRUE(counted) << "pdfinfo's page count never arrived";
  }
}

// The converter beside the program comes before the search path; one in the current folder
// is never taken for it.
TEST(ConverterSearch, TheConverterBesideTheProgramIsTheOneRun) {
  WorkflowRig rig(TessikDeliverable());
  WriteScript(rig.program.path() / "pdftotext",
              "for f; do :; done\nprintf 'accanto\\f' > \"${f%.pdf}.txt\"\n");
  WriteScript(rig.current.path() / "pdftotext",
              "for f; do :; done\nprintf 'corrente\\f' > \"${f%.pdf}.txt\"\n");
  const fs::path pdf = rig.documents.path() / "documento.pdf";
  WritePdf(pdf, NumberedPages(1));
  ASSERT_FALSE(rig.Drop(Utf8(pdf)));
  EXPECT_EQ(ReadFile(rig.OutputFolder() / "documento.txt"), "accanto\f");
  EXPECT_TRUE(rig.window.CommandLineField().starts_with(
      QuoteForPosixShell(Utf8(rig.program.path() / "pdftotext")) + " "));
  EXPECT_TRUE(fs::exists(rig.program.path() / "pdftotext"));  // the run leaves it alone

  rig.desktop.Clear();
  rig.window.CheckConverter();
  EXPECT_TRUE(rig.desktop.boxes().empty());

  fs::remove(rig.program.path() / "pdftotext");
  ASSERT_FALSE(rig.Drop(Utf8(pdf)));
  EXPECT_NE(ReadFile(rig.OutputFolder() / "documento.txt").find("Pagina 1"), std::string::npos);
}

// The settings file in the ways it can be unusable: reading gives empty text, writing changes
// nothing, neither says a word, and a conversion runs as ever.
TEST(SettingsFaults, UnusableSettingsFilesAreHandledSilentlyAndKeptIntact) {
  const Deliverable& tessik = TessikDeliverable();
  struct Case {
    const char* label;
    void (*prepare)(const fs::path& ini);
  };
  const Case cases[] = {{"a folder", [](const fs::path& ini) { fs::create_directory(ini); }},
                        {"read-only",
                         [](const fs::path& ini) {
                           WriteFile(ini, "[Folders]\r\nopen=1\r\n");
                           MakeReadOnly(ini);
                         }},
                        {"garbage", [](const fs::path& ini) {
                           std::string bytes;
                           for (int i = 0; i < 4096; ++i)
                             bytes += static_cast<char>((i * 7919 + 13) % 251 + 1);
                           std::erase(bytes, '[');
                           WriteFile(ini, bytes);
                         }}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    WorkflowRig rig(tessik);
    const std::string settings = SettingsFileIn(rig.program.str(), tessik).path;
    const fs::path ini = PathFromUtf8(settings);
    c.prepare(ini);
    const auto before = Snapshot(rig.program.path());
    const std::string openBefore = ReadIniValue(settings, "Folders", "open");
    WriteIniValue(settings, "Range", "Start", "7");
    WriteIniValue(settings, "Folders", "open", "0");
    if (std::string(c.label) == "garbage") {
      // Whatever else the file holds stays as it was; the new section is added after it.
      const std::string after = ReadFile(ini);
      EXPECT_TRUE(after.starts_with(before.at(Utf8(ini.filename()))));
      EXPECT_EQ(ReadIniValue(settings, "Range", "Start"), "7");
    } else {
      EXPECT_EQ(Snapshot(rig.program.path()), before);
      EXPECT_EQ(ReadIniValue(settings, "Folders", "open"), openBefore);
      EXPECT_EQ(ReadIniValue(settings, "Range", "Start"), "");
    }
    EXPECT_TRUE(rig.desktop.boxes().empty());
    ExpectAnotherRunWorks(rig);
  }
}

}  // namespace
}  // namespace droplet::testing
