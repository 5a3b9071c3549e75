// What only POSIX has: symbolic links, the xdg-open launcher, search errors as root.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "common/failure.h"
#include "common/message_box.h"
#include "files/document_opener.h"
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

TEST(PosixLinks, CleanAllPathRemovesLinksAndNeverEntersThem) {
  TempFolder outside;
  WriteFile(outside.path() / "precious.txt", "keep me");
  WriteFile(outside.path() / "locked.txt", "keep me too");
  testing::MakeReadOnly(outside.path() / "locked.txt");
  fs::create_directory(outside.path() / "nested");
  WriteFile(outside.path() / "nested" / "deep.txt", "deep");

  TempFolder root;
  fs::create_directory_symlink(outside.path(), root.path() / "link to folder");
  fs::create_directory_symlink(outside.path(), root.path() / ".hidden link");
  fs::create_symlink(outside.path() / "locked.txt", root.path() / "link to file");
  fs::create_symlink(root.path() / "nowhere", root.path() / "dangling");
  fs::create_directory(root.path() / "sub");
  fs::create_directory_symlink(outside.path() / "nested", root.path() / "sub" / "inner link");

  CleanAllPath(root.str());

  EXPECT_TRUE(fs::is_empty(root.path()));
  EXPECT_EQ(NamesIn(outside.path()),
            (std::vector<std::string>{"locked.txt", "nested", "precious.txt"}));
  EXPECT_EQ(ReadFile(outside.path() / "nested" / "deep.txt"), "deep");
  // The read-only target kept its mode: nothing was changed through the link.
  EXPECT_EQ(fs::status(outside.path() / "locked.txt").permissions() & fs::perms::owner_write,
            fs::perms::none);
}

TEST(PosixLinks, EliminaFileConAsteriscoDeletesTheLinkNotItsTarget) {
  TempFolder outside;
  WriteFile(outside.path() / "real.pdf", "real");
  TempFolder folder;
  fs::create_symlink(outside.path() / "real.pdf", folder.path() / "link.pdf");
  EliminaFileConAsterisco(folder.str() + "/", "*.pdf");
  EXPECT_TRUE(fs::is_empty(folder.path()));
  EXPECT_EQ(ReadFile(outside.path() / "real.pdf"), "real");
}

TEST(PosixSearch, AFailedSearchShowsTheFileExistsBox) {
  TempFolder folder;
  // A link to itself cannot be opened as a folder (ELOOP), even by root.
  fs::create_symlink(folder.path() / "loop", folder.path() / "loop");
  ScriptedDesktop desktop;
  EXPECT_FALSE(FileExists(folder / "loop/*.pdf", desktop));
  ASSERT_EQ(desktop.boxes().size(), 1u);
  EXPECT_EQ(desktop.boxes()[0].title, "Error ! (Source : FileExists)");
  EXPECT_EQ(desktop.boxes()[0].style, kMbIconInformation);
  EXPECT_EQ(desktop.boxes()[0].text,
            std::to_string(ELOOP) + " : \r\n\r\n" + DescribeSystemError(ELOOP));

  EXPECT_THROW(EliminaFileConAsterisco(folder / "loop/", "*.pdf"), OperationFailure);
  // A link in the folder's place is never opened: there is nothing of ours to empty.
  EXPECT_EQ(CleanAllPath(folder / "loop"), CleanOutcome::kFolderIsLink);
}

TEST(PosixSearch, AFileWhereAFolderIsExpectedIsNoFolder) {
  TempFolder folder;
  WriteFile(folder.path() / "file", "");
  const FindResult found = FindEntries(folder / "file/*");
  EXPECT_EQ(found.error, 0);
  EXPECT_TRUE(found.entries.empty());
}

TEST(PosixSearch, ReadOnlyRefusalHoldsForRootToo) {
  TempFolder folder;
  WriteFile(folder.path() / "target", "old");
  WriteFile(folder.path() / "source", "new");
  ::chmod((folder / "target").c_str(), 0444);
  EXPECT_EQ(CopyFileReplacing(folder / "source", folder / "target"), EACCES);
  EXPECT_EQ(DeleteOneFile(folder / "target"), EACCES);
  EXPECT_EQ(ReadFile(folder.path() / "target"), "old");
}

// Whatever the source's bits (another user's setuid program, a file everybody may write), the
// copy is a document of ours: read and write for us, read for others as the umask allows.
TEST(PosixCopy, TheCopyIsAPlainDocumentWhateverTheSourcesBits) {
  TempFolder folder;
  const mode_t mask = ::umask(0);
  ::umask(mask);
  for (const mode_t bits : {04777, 02751, 01777, 0444}) {
    WriteFile(folder.path() / "tool", "#!/bin/sh\n");
    ASSERT_EQ(::chmod((folder / "tool").c_str(), bits), 0);
    ASSERT_EQ(CopyFileReplacing(folder / "tool", folder / "copy"), 0);
    struct stat status;
    ASSERT_EQ(::stat((folder / "copy").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0644u & ~mask) << std::oct << bits;
    ASSERT_EQ(::unlink((folder / "copy").c_str()), 0);
  }
  EXPECT_EQ(NamesIn(folder.path()), std::vector<std::string>{"tool"});
}

// A link at the target's name is replaced by the copy; what it pointed to stays as it was.
TEST(PosixCopy, ALinkAtTheTargetIsReplacedNotWrittenThrough) {
  TempFolder outside;
  WriteFile(outside.path() / "victim.html", "theirs");
  TempFolder folder;
  WriteFile(folder.path() / "source", "ours");
  fs::create_symlink(outside.path() / "victim.html", folder.path() / "target");
  fs::create_symlink(outside.path() / "missing.html", folder.path() / "dangling");
  ASSERT_EQ(CopyFileReplacing(folder / "source", folder / "target"), 0);
  ASSERT_EQ(CopyFileReplacing(folder / "source", folder / "dangling"), 0);
  EXPECT_FALSE(fs::is_symlink(folder.path() / "target"));
  EXPECT_EQ(ReadFile(folder.path() / "target"), "ours");
  EXPECT_EQ(ReadFile(folder.path() / "dangling"), "ours");
  EXPECT_EQ(NamesIn(outside.path()), std::vector<std::string>{"victim.html"});
  EXPECT_EQ(ReadFile(outside.path() / "victim.html"), "theirs");
}

// A result moved into the output folder is a plain document as its copy would be, whatever bits
// the converter left; a link at its name is replaced; only a plain file of one name moves.
TEST(PosixMove, TheMovedFileIsAPlainDocumentAndNeverWritesThroughALink) {
  TempFolder outside;
  WriteFile(outside.path() / "victim.html", "theirs");
  TempFolder folder;
  const mode_t mask = ::umask(0);
  ::umask(mask);
  for (const mode_t bits : {04777, 02751, 01777, 0444, 0666}) {
    WriteFile(folder.path() / "page", "ours");
    ASSERT_EQ(::chmod((folder / "page").c_str(), bits), 0);
    fs::create_symlink(outside.path() / "victim.html", folder.path() / "target");
    ASSERT_EQ(RenameFileReplacing(folder / "page", folder / "target"), 0);
    struct stat status;
    ASSERT_EQ(::lstat((folder / "target").c_str(), &status), 0);
    EXPECT_TRUE(S_ISREG(status.st_mode));
    EXPECT_EQ(status.st_mode & 07777, 0644u & ~mask) << std::oct << bits;
    ASSERT_EQ(::unlink((folder / "target").c_str()), 0);
  }
  EXPECT_EQ(ReadFile(outside.path() / "victim.html"), "theirs");

  WriteFile(folder.path() / "twice", "two names");
  fs::create_hard_link(folder.path() / "twice", outside.path() / "their name");
  fs::create_symlink(outside.path() / "victim.html", folder.path() / "link");
  EXPECT_NE(RenameFileReplacing(folder / "twice", folder / "moved"), 0);
  EXPECT_NE(RenameFileReplacing(folder / "link", folder / "moved"), 0);
  EXPECT_EQ(NamesIn(folder.path()), (std::vector<std::string>{"link", "twice"}));
  EXPECT_TRUE(fs::is_symlink(folder.path() / "link"));
}

// An "output" that is a link to a folder on another file system: the files are copied through
// it, and the link stays a link.
TEST(PosixMove, ALinkedOutputFolderElsewhereGetsCopiesThroughTheLink) {
  const fs::path other = testing::OtherFileSystemFolder();
  if (other.empty()) GTEST_SKIP() << "no second file system here";
  TempFolder elsewhere(other);
  TempFolder scratch;
  fs::create_directory_symlink(elsewhere.path(), scratch.path() / "output");
  WriteFile(scratch.path() / "doc.html", "doc");
  EXPECT_EQ(RenameFileReplacing(scratch / "doc.html", scratch / "output/doc.html"), EXDEV);
  EXPECT_EQ(BringFilesInto(scratch.str(), {"doc.html"}, scratch / "output"), 0);
  EXPECT_TRUE(fs::is_symlink(scratch.path() / "output"));
  EXPECT_EQ(ReadFile(elsewhere.path() / "doc.html"), "doc");
}

// Folders the droplet makes: nobody else may add to them, whatever the umask lets through.
TEST(PosixCopy, NewFoldersAreOnlyOursToWrite) {
  TempFolder folder;
  const mode_t mask = ::umask(0);
  EXPECT_EQ(CreateOneFolder(folder / "output"), 0);
  ::umask(mask);
  struct stat status;
  ASSERT_EQ(::stat((folder / "output").c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 07777, 0755u);
}

// Puts a recording xdg-open first on PATH for the life of the object.
class FakeLauncher {
 public:
  FakeLauncher() : savedPath_(::getenv("PATH") ? ::getenv("PATH") : "") {}
  ~FakeLauncher() { ::setenv("PATH", savedPath_.c_str(), 1); }
  FakeLauncher(const FakeLauncher&) = delete;
  FakeLauncher& operator=(const FakeLauncher&) = delete;

  void Install() {
    const fs::path script = bin_.path() / "xdg-open";
    WriteFile(script, "#!/bin/sh\nprintf '%s' \"$1\" > \"" + record() + ".tmp\"\npwd > \"" +
                          record() + ".cwd\"\nmv \"" + record() + ".tmp\" \"" + record() + "\"\n");
    ::chmod(script.c_str(), 0755);
    ::setenv("PATH", (bin_.str() + ":" + savedPath_).c_str(), 1);
  }
  void HideAll() { ::setenv("PATH", bin_.str().c_str(), 1); }

  std::string record() const { return bin_ / "opened"; }

  // What the launcher received, waiting for it to have run (it is started in the background).
  std::string Received() const {
    for (int i = 0; i < 500 && !fs::exists(record()); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return ReadFile(record());
  }

 private:
  std::string savedPath_;
  TempFolder bin_;
};

TEST(PosixOpener, HandsTheTargetToXdgOpenIntact) {
  FakeLauncher launcher;
  launcher.Install();
  TempFolder folder;
  const std::string target = folder / "my \"report\" it's $(touch x); `y` & z.html";
  WriteFile(target, "<html>");
  ScriptedDesktop desktop;
  const auto opener = MakeSystemDocumentOpener();

  OpenDocument(target, "", folder.str(), *opener, desktop);

  EXPECT_TRUE(desktop.boxes().empty());
  EXPECT_EQ(launcher.Received(), target);
  EXPECT_EQ(ReadFile(launcher.record() + ".cwd"), folder.str() + "\n");
  EXPECT_EQ(NamesIn(folder.path()), (std::vector<std::string>{GetLastPathPart(target)}));
}

TEST(PosixOpener, NoLauncherIsARefusal) {
  FakeLauncher launcher;
  launcher.HideAll();
  TempFolder folder;
  ScriptedDesktop desktop;
  const auto opener = MakeSystemDocumentOpener();
  OpenDocument(folder.str(), "", folder.str(), *opener, desktop);
  ASSERT_EQ(desktop.boxes().size(), 1u);
  EXPECT_EQ(desktop.boxes()[0].text, "Error jumping to:" + folder.str());
  EXPECT_EQ(desktop.boxes()[0].title, "Warning");
}

}  // namespace
}  // namespace droplet
