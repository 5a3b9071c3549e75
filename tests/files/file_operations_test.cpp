#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "common/failure.h"
#include "common/message_box.h"
#include "common/platform.h"
#include "files/file_operations.h"
#include "files/file_system.h"
#include "support/file_fixtures.h"
#include "support/scripted_desktop.h"
#include "support/temp_folder.h"

namespace droplet {
namespace {

namespace fs = std::filesystem;
using testing::NamesIn;
using testing::ReadFile;
using testing::ScriptedDesktop;
using testing::TempFolder;
using testing::WriteFile;

using Names = std::vector<std::string>;

// The folder with its final separator, as the operations take it.
std::string Folder(const TempFolder& folder) {
  return folder.str() + Sep();
}
std::string Folder(const TempFolder& folder, const std::string& sub) {
  return folder / sub + Sep();
}

// --- FileExists -----------------------------------------------------------------------------

TEST(FileExists, FalseForBlankTextAndForFolders) {
  TempFolder folder;
  ScriptedDesktop desktop;
  fs::create_directory(folder.path() / "sub");
  EXPECT_FALSE(FileExists("", desktop));
  EXPECT_FALSE(FileExists("   ", desktop));
  EXPECT_FALSE(FileExists(folder.str(), desktop));
  EXPECT_FALSE(FileExists(folder / "sub", desktop));
  EXPECT_FALSE(FileExists(folder / "missing.pdf", desktop));
  EXPECT_FALSE(FileExists(folder / "missing" + Sep() + "*.pdf", desktop));
  EXPECT_TRUE(desktop.boxes().empty());
}

TEST(FileExists, PatternFindsPlainReadOnlyAndHiddenFilesButNotFolders) {
  TempFolder folder;
  ScriptedDesktop desktop;
  fs::create_directory(folder.path() / "folder.pdf");
  EXPECT_FALSE(FileExists(folder / "*.pdf", desktop));

  testing::MakeHiddenFile(folder.path(), "secret.pdf");
  EXPECT_TRUE(FileExists(folder / "*.pdf", desktop));
  EXPECT_TRUE(FileExists(folder / "*.PDF", desktop));

  WriteFile(folder.path() / "locked.txt", "");
  testing::MakeReadOnly(folder.path() / "locked.txt");
  EXPECT_TRUE(FileExists(folder / "locked.txt", desktop));
  EXPECT_TRUE(FileExists(folder / "l?cked.*", desktop));
  EXPECT_TRUE(desktop.boxes().empty());
}

// --- CopySingleFile -------------------------------------------------------------------------

TEST(CopySingleFile, ReplacesAnExistingTarget) {
  TempFolder folder;
  ScriptedDesktop desktop;
  WriteFile(folder.path() / "a.pdf", "new content");
  WriteFile(folder.path() / "b.pdf", "old");
  CopySingleFile(folder / "a.pdf", folder / "b.pdf", desktop);
  EXPECT_EQ(ReadFile(folder.path() / "b.pdf"), "new content");
  EXPECT_TRUE(desktop.boxes().empty());
}

TEST(CopySingleFile, MissingSourceShowsOneBox) {
  TempFolder folder;
  ScriptedDesktop desktop;
  CopySingleFile(folder / "missing.pdf", folder / "copy.pdf", desktop);
  ASSERT_EQ(desktop.boxes().size(), 1u);
  EXPECT_EQ(desktop.boxes()[0].text, "Errore durante la copia del file");
  EXPECT_EQ(desktop.boxes()[0].style, kMbOk);
  EXPECT_EQ(desktop.boxes()[0].title, kApplicationTitle);
  EXPECT_FALSE(fs::exists(folder.path() / "copy.pdf"));
}

// --- CopiaFileCreaCartella ------------------------------------------------------------------

TEST(CopiaFileCreaCartella, CreatesTheFolderAndCopiesOnlyMatchingFiles) {
  TempFolder source;
  TempFolder target;
  ScriptedDesktop desktop;
  WriteFile(source.path() / "a.txt", "a");
  WriteFile(source.path() / "B.TXT", "b");
  WriteFile(source.path() / "c.pdf", "c");
  fs::create_directory(source.path() / "folder.txt");

  CopiaFileCreaCartella(Folder(source), Folder(target, "output"), "*.txt", desktop);

  EXPECT_EQ(NamesIn(target.path() / "output"), (Names{"B.TXT", "a.txt"}));
  EXPECT_EQ(ReadFile(target.path() / "output" / "B.TXT"), "b");
  // The originals stay where they were.
  EXPECT_EQ(NamesIn(source.path()), (Names{"B.TXT", "a.txt", "c.pdf", "folder.txt"}));
  EXPECT_TRUE(desktop.boxes().empty());
}

TEST(CopiaFileCreaCartella, ReplacesSameNamesAndLeavesOtherFiles) {
  TempFolder source;
  TempFolder target;
  ScriptedDesktop desktop;
  WriteFile(source.path() / "page.html", "fresh");
  WriteFile(target.path() / "page.html", "stale");
  WriteFile(target.path() / "older.html", "kept");

  CopiaFileCreaCartella(Folder(source), Folder(target), "*.html", desktop);

  EXPECT_EQ(ReadFile(target.path() / "page.html"), "fresh");
  EXPECT_EQ(ReadFile(target.path() / "older.html"), "kept");
  EXPECT_EQ(NamesIn(target.path()), (Names{"older.html", "page.html"}));
}

TEST(CopiaFileCreaCartella, NoMatchShowsTheHintAndEndsTheProgram) {
  TempFolder source;
  ScriptedDesktop desktop;
  WriteFile(source.path() / "doc.pdf", "");
  const std::string target = Folder(source, "output");

  EXPECT_THROW(CopiaFileCreaCartella(Folder(source), target, "*.html", desktop),
               testing::ProgramEnded);

  EXPECT_TRUE(desktop.ended());
  ASSERT_EQ(desktop.boxes().size(), 1u);
  EXPECT_EQ(desktop.boxes()[0].text,
            "File *.html NON trovato.\r\n\r\n- Inserire i files nelle rispettive cartelle\r\n"
            "- Files INI in -> Config\r\n- Files EXE in -> Bin");
  EXPECT_EQ(desktop.boxes()[0].style, kMbOk);
  EXPECT_EQ(desktop.boxes()[0].title, kApplicationTitle);
  // The folder is made before the search.
  EXPECT_TRUE(fs::is_directory(source.path() / "output"));
}

TEST(CopiaFileCreaCartella, AFileThatCannotBeCopiedThrowsAfterTheOthersAreCopied) {
  TempFolder source;
  TempFolder target;
  ScriptedDesktop desktop;
  for (const char* name : {"a.txt", "b.txt", "c.txt"}) WriteFile(source.path() / name, name);
  // A folder in the way of one copy: refused on every platform and for every user.
  fs::create_directory(target.path() / "b.txt");

  try {
    CopiaFileCreaCartella(Folder(source), Folder(target), "*.txt", desktop);
    FAIL() << "no failure";
  } catch (const OperationFailure& failure) {
    EXPECT_EQ(failure.failure().source, "CopiaFileCreaCartella");
    EXPECT_NE(failure.failure().number, 0);
    EXPECT_EQ(failure.failure().description, DescribeSystemError(failure.failure().number));
  }
  EXPECT_EQ(NamesIn(source.path()), (Names{"a.txt", "b.txt", "c.txt"}));
  EXPECT_TRUE(fs::is_directory(target.path() / "b.txt"));
  EXPECT_TRUE(fs::is_empty(target.path() / "b.txt"));
  EXPECT_EQ(NamesIn(target.path()), (Names{"a.txt", "b.txt", "c.txt"}));
  EXPECT_EQ(ReadFile(target.path() / "a.txt"), "a.txt");
  EXPECT_EQ(ReadFile(target.path() / "c.txt"), "c.txt");
  EXPECT_TRUE(desktop.boxes().empty());
}

// --- BringFilesInto -------------------------------------------------------------------------

TEST(BringFilesInto, MovesEveryFileAndReplacesSameNamesOnly) {
  TempFolder scratch;
  TempFolder output;
  for (const char* name : {"doc.html", "docs.html", "doc001.png"}) {
    WriteFile(scratch.path() / name, name);
  }
  WriteFile(scratch.path() / "doc.pdf", "pdf");
  WriteFile(output.path() / "doc.html", "old");
  WriteFile(output.path() / "altro.html", "altro");
  EXPECT_EQ(BringFilesInto(scratch.str(), {"doc.html", "docs.html", "doc001.png"}, output.str()),
            0);
  EXPECT_EQ(NamesIn(scratch.path()), Names{"doc.pdf"});
  EXPECT_EQ(NamesIn(output.path()), (Names{"altro.html", "doc.html", "doc001.png", "docs.html"}));
  EXPECT_EQ(ReadFile(output.path() / "doc.html"), "doc.html");
  EXPECT_EQ(ReadFile(output.path() / "altro.html"), "altro");
}

// One file that cannot come does not stop the others, but then every file is back where it was.
TEST(BringFilesInto, AFileThatCannotComeLeavesEveryFileInItsFolder) {
  TempFolder scratch;
  TempFolder output;
  for (const char* name : {"a.txt", "b.txt", "c.txt"}) WriteFile(scratch.path() / name, name);
  fs::create_directory(output.path() / "b.txt");
  EXPECT_NE(BringFilesInto(scratch.str(), {"a.txt", "b.txt", "c.txt"}, output.str()), 0);
  EXPECT_EQ(NamesIn(scratch.path()), (Names{"a.txt", "b.txt", "c.txt"}));
  EXPECT_EQ(ReadFile(scratch.path() / "c.txt"), "c.txt");
  EXPECT_EQ(NamesIn(output.path()), Names{"b.txt"});
}

// Where a rename is refused (another file system) the files are copied; the sources stay for the
// caller to delete.
TEST(BringFilesInto, AnotherFileSystemGetsCopies) {
  const fs::path other = testing::OtherFileSystemFolder();
  if (other.empty()) GTEST_SKIP() << "no second file system here";
  TempFolder scratch;
  TempFolder output(other);
  WriteFile(scratch.path() / "a.txt", "a");
  WriteFile(scratch.path() / "b.txt", "b");
  WriteFile(output.path() / "a.txt", "old");
  EXPECT_EQ(BringFilesInto(scratch.str(), {"a.txt", "b.txt"}, output.str()), 0);
  EXPECT_EQ(NamesIn(scratch.path()), (Names{"a.txt", "b.txt"}));
  EXPECT_EQ(ReadFile(output.path() / "a.txt"), "a");
  EXPECT_EQ(ReadFile(output.path() / "b.txt"), "b");
}

// --- EliminaFileConAsterisco ----------------------------------------------------------------

// Parents first; a folder that is there already is fine; a file in the way fails as the copy that
// needed the folder would.
TEST(CreateFolderTree, MakesTheMissingParentsAndRefusesAFileInTheWay) {
  TempFolder root;
  CreateFolderTree(root / "a" + Sep() + "b" + Sep() + "c");
  EXPECT_TRUE(fs::is_directory(root.path() / "a" / "b" / "c"));
  CreateFolderTree(root / "a");
  WriteFile(root.path() / "file", "x");
  try {
    CreateFolderTree(root / "file" + Sep() + "sub");
    ADD_FAILURE() << "a file in the way went unnoticed";
  } catch (const OperationFailure& failure) {
    EXPECT_EQ(failure.failure().source, "CopySingleFile");
    EXPECT_NE(failure.failure().number, 0);
  }
  EXPECT_EQ(NamesIn(root.path()), (Names{"a", "file"}));
}

TEST(EliminaFileConAsterisco, DeletesMatchesOnlyAndIsSilentWithoutThem) {
  TempFolder folder;
  for (const char* name : {"a.pdf", "B.PDF", "c.txt"}) WriteFile(folder.path() / name, "");
  EliminaFileConAsterisco(Folder(folder), "*.zip");
  EliminaFileConAsterisco(Folder(folder), "*.pdf");
  EXPECT_EQ(NamesIn(folder.path()), (Names{"c.txt"}));
  EliminaFileConAsterisco(Folder(folder), "*.pdf");
  EliminaFileConAsterisco(Folder(folder, "missing"), "*.pdf");
}

TEST(EliminaFileConAsterisco, LeavesTheNameToKeep) {
  TempFolder folder;
  for (const char* name : {"dropped.pdf", "copy.pdf", "other.pdf"}) {
    WriteFile(folder.path() / name, "");
  }
  EliminaFileConAsterisco(Folder(folder), "*.pdf", "dropped.pdf");
  EXPECT_EQ(NamesIn(folder.path()), (Names{"dropped.pdf"}));
}

// Deletes with `pattern` and expects a failure at `stopper`: entries the search gave before it
// are gone, it and those after it remain.
void ExpectStopAt(const TempFolder& folder, const std::string& pattern,
                  const std::string& stopper) {
  const FindResult order = FindEntries(folder / pattern);
  try {
    EliminaFileConAsterisco(Folder(folder), pattern);
    FAIL() << "no failure";
  } catch (const OperationFailure& failure) {
    EXPECT_EQ(failure.failure().source, "EliminaFileConAsterisco");
    EXPECT_NE(failure.failure().number, 0);
    EXPECT_FALSE(failure.failure().description.empty());
  }
  bool reached = false;
  for (const DirEntry& entry : order.entries) {
    if (entry.name == "." || entry.name == ".." || entry.name == stopper) reached = true;
    if (entry.name == "." || entry.name == "..") continue;
    EXPECT_EQ(fs::exists(folder.path() / testing::PathFromUtf8(entry.name)), reached) << entry.name;
  }
}

TEST(EliminaFileConAsterisco, StopsAtAReadOnlyMatch) {
  TempFolder folder;
  for (const char* name : {"a.pdf", "b.pdf", "c.pdf", "d.pdf", "e.pdf"}) {
    WriteFile(folder.path() / name, "");
  }
  testing::MakeReadOnly(folder.path() / "c.pdf");
  ExpectStopAt(folder, "*.pdf", "c.pdf");
  EXPECT_TRUE(fs::exists(folder.path() / "c.pdf"));
}

TEST(EliminaFileConAsterisco, StopsAtAHiddenMatchAndAtAFolder) {
  TempFolder folder;
  WriteFile(folder.path() / "a.pdf", "");
  const std::string hidden = testing::MakeHiddenFile(folder.path(), "h.pdf");
  ExpectStopAt(folder, "*.pdf", hidden);
  EXPECT_TRUE(fs::exists(folder.path() / hidden));

  TempFolder other;
  WriteFile(other.path() / "a.pdf", "");
  fs::create_directory(other.path() / "sub.pdf");
  ExpectStopAt(other, "*.pdf", "sub.pdf");
  EXPECT_TRUE(fs::is_directory(other.path() / "sub.pdf"));
}

TEST(EliminaFileConAsterisco, StarDotStarFailsAtADotEntry) {
  TempFolder folder;
  for (const char* name : {"a.txt", "b.pdf", "c.html"}) WriteFile(folder.path() / name, "");
  ExpectStopAt(folder, "*.*", ".");
  EXPECT_TRUE(fs::is_directory(folder.path()));
}

// --- OpenDocument ---------------------------------------------------------------------------

struct RecordingOpener : DocumentOpener {
  bool Open(const std::string& target, const std::string& parameters,
            const std::string& workingFolder) override {
    calls.push_back(target + "|" + parameters + "|" + workingFolder);
    return answer;
  }
  bool answer = true;
  std::vector<std::string> calls;
};

TEST(OpenDocument, EmptyTargetDoesNothing) {
  RecordingOpener opener;
  ScriptedDesktop desktop;
  OpenDocument("", "", "/prog", opener, desktop);
  EXPECT_TRUE(opener.calls.empty());
  EXPECT_TRUE(desktop.boxes().empty());
}

TEST(OpenDocument, PassesTheRequestOnAndShowsARefusal) {
  RecordingOpener opener;
  ScriptedDesktop desktop;
  OpenDocument("out/page.html", "", "prog", opener, desktop);
  EXPECT_TRUE(desktop.boxes().empty());
  opener.answer = false;
  OpenDocument("out/missing.html", "-x", "prog", opener, desktop);
  EXPECT_EQ(opener.calls, (Names{"out/page.html||prog", "out/missing.html|-x|prog"}));
  ASSERT_EQ(desktop.boxes().size(), 1u);
  EXPECT_EQ(desktop.boxes()[0].text, "Error jumping to:out/missing.html");
  EXPECT_EQ(desktop.boxes()[0].style, kMbIconExclamation);
  EXPECT_EQ(desktop.boxes()[0].title, "Warning");
}

TEST(OpenDocument, SystemOpenerRefusesAMissingTarget) {
  TempFolder folder;
  ScriptedDesktop desktop;
  const auto opener = MakeSystemDocumentOpener();
  const std::string missing = folder / "missing result.html";
  OpenDocument(missing, "", folder.str(), *opener, desktop);
  ASSERT_EQ(desktop.boxes().size(), 1u);
  EXPECT_EQ(desktop.boxes()[0].text, "Error jumping to:" + missing);
}

}  // namespace
}  // namespace droplet
