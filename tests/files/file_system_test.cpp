#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "common/platform.h"
#include "files/file_operations.h"
#include "files/file_system.h"
#include "support/file_fixtures.h"
#include "support/temp_folder.h"

namespace droplet {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::TempFolder;
using testing::WriteFile;

const DirEntry* Find(const FindResult& result, const std::string& name) {
  const auto it = std::find_if(result.entries.begin(), result.entries.end(),
                               [&](const DirEntry& entry) { return entry.name == name; });
  return it == result.entries.end() ? nullptr : &*it;
}

TEST(FindEntries, ReportsEveryKindOfEntryWithItsAttributes) {
  TempFolder folder;
  WriteFile(folder.path() / "plain.txt", "p");
  WriteFile(folder.path() / "locked.txt", "l");
  testing::MakeReadOnly(folder.path() / "locked.txt");
  fs::create_directory(folder.path() / "sub");
  const std::string hidden = testing::MakeHiddenFile(folder.path(), "secret.txt");

  const FindResult all = FindEntries(folder / "*");
  EXPECT_EQ(all.error, 0);
  ASSERT_NE(Find(all, "plain.txt"), nullptr);
  EXPECT_FALSE(Find(all, "plain.txt")->isDirectory);
  EXPECT_FALSE(Find(all, "plain.txt")->isReadOnly);
  EXPECT_FALSE(Find(all, "plain.txt")->isHidden);
  ASSERT_NE(Find(all, "locked.txt"), nullptr);
  EXPECT_TRUE(Find(all, "locked.txt")->isReadOnly);
  ASSERT_NE(Find(all, "sub"), nullptr);
  EXPECT_TRUE(Find(all, "sub")->isDirectory);
  ASSERT_NE(Find(all, hidden), nullptr);
  EXPECT_TRUE(Find(all, hidden)->isHidden);
  for (const char* dot : {".", ".."}) {
    ASSERT_NE(Find(all, dot), nullptr) << dot;
    EXPECT_TRUE(Find(all, dot)->isDirectory);
    EXPECT_FALSE(Find(all, dot)->isHidden);
  }
  EXPECT_EQ(all.entries.size(), 6u);
}

TEST(FindEntries, MatchesTheLastPartIgnoringCase) {
  TempFolder folder;
  WriteFile(folder.path() / "Settings.INI", "");
  WriteFile(folder.path() / "other.txt", "");
  const FindResult found = FindEntries(folder / "settings.ini");
  ASSERT_EQ(found.entries.size(), 1u);
  EXPECT_EQ(found.entries[0].name, "Settings.INI");
  EXPECT_EQ(FindEntries(folder / "*.TXT").entries.size(), 1u);
  EXPECT_TRUE(FindEntries(folder / "*.pdf").entries.empty());
}

TEST(FindEntries, MissingFolderIsNoError) {
  TempFolder folder;
  const FindResult found = FindEntries(folder / "missing" + Sep() + "*.pdf");
  EXPECT_EQ(found.error, 0);
  EXPECT_TRUE(found.entries.empty());
}

TEST(CopyFileReplacing, RefusesAReadOnlyTargetAndKeepsIt) {
  if (testing::ReadOnlyTargetsIgnored()) {
    GTEST_SKIP() << "this platform lets the current user (root under Wine) write read-only files";
  }
  TempFolder folder;
  WriteFile(folder.path() / "source", "new");
  WriteFile(folder.path() / "target", "old");
  testing::MakeReadOnly(folder.path() / "target");
  EXPECT_NE(CopyFileReplacing(folder / "source", folder / "target"), 0);
  EXPECT_EQ(ReadFile(folder.path() / "target"), "old");
  EXPECT_EQ(testing::NamesIn(folder.path()), (std::vector<std::string>{"source", "target"}));
}

TEST(CopyFileReplacing, FailedCopyKeepsTheOldTargetAndLeavesNoTrace) {
  TempFolder folder;
  fs::create_directory(folder.path() / "a folder");
  WriteFile(folder.path() / "target", "old");
  EXPECT_NE(CopyFileReplacing(folder / "a folder", folder / "target"), 0);
  EXPECT_NE(CopyFileReplacing(folder / "missing", folder / "target"), 0);
  EXPECT_NE(CopyFileReplacing(folder / "missing", folder / "fresh"), 0);
  EXPECT_EQ(ReadFile(folder.path() / "target"), "old");
  EXPECT_EQ(testing::NamesIn(folder.path()), (std::vector<std::string>{"a folder", "target"}));
}

TEST(CopyFileReplacing, CopiesContentIntoAPlainWritableFile) {
  TempFolder folder;
  std::string bytes(300000, '\0');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7);
  WriteFile(folder.path() / "big", bytes);
  ASSERT_EQ(CopyFileReplacing(folder / "big", folder / "copy"), 0);
  EXPECT_EQ(ReadFile(folder.path() / "copy"), bytes);

  // The source's marks stay with the source: the copy is an ordinary document.
  WriteFile(folder.path() / "locked", "l");
  testing::MakeReadOnly(folder.path() / "locked");
  ASSERT_EQ(CopyFileReplacing(folder / "locked", folder / "locked copy"), 0);
  const FindResult found = FindEntries(folder / "locked copy");
  ASSERT_EQ(found.entries.size(), 1u);
  EXPECT_FALSE(found.entries[0].isReadOnly);
  EXPECT_FALSE(found.entries[0].isSystem);
  EXPECT_EQ(DeleteOneFile(folder / "locked copy"), 0);
}

TEST(RenameFileReplacing, MovesTheFileOverAnOtherAsAPlainDocument) {
  TempFolder folder;
  fs::create_directory(folder.path() / "output");
  WriteFile(folder.path() / "page.html", "new");
  WriteFile(folder.path() / "output" / "page.html", "old");
  ASSERT_EQ(RenameFileReplacing(folder / "page.html", folder / "output" + Sep() + "page.html"), 0);
  EXPECT_EQ(ReadFile(folder.path() / "output" / "page.html"), "new");
  EXPECT_EQ(testing::NamesIn(folder.path()), std::vector<std::string>{"output"});

  // The marks the converter may have left go, as they would with a copy.
  WriteFile(folder.path() / "locked", "l");
  testing::MakeReadOnly(folder.path() / "locked");
  ASSERT_EQ(RenameFileReplacing(folder / "locked", folder / "moved"), 0);
  const FindResult found = FindEntries(folder / "moved");
  ASSERT_EQ(found.entries.size(), 1u);
  EXPECT_FALSE(found.entries[0].isReadOnly);
  EXPECT_EQ(DeleteOneFile(folder / "moved"), 0);
}

// What the copy refuses, the rename refuses too, and then both files are as they were.
TEST(RenameFileReplacing, RefusesAReadOnlyTargetAndAFolder) {
  TempFolder folder;
  WriteFile(folder.path() / "source", "new");
  WriteFile(folder.path() / "target", "old");
  testing::MakeReadOnly(folder.path() / "target");
  fs::create_directory(folder.path() / "a folder");
  EXPECT_NE(RenameFileReplacing(folder / "source", folder / "target"), 0);
  EXPECT_NE(RenameFileReplacing(folder / "source", folder / "a folder"), 0);
  EXPECT_NE(RenameFileReplacing(folder / "missing", folder / "fresh"), 0);
  EXPECT_EQ(ReadFile(folder.path() / "source"), "new");
  EXPECT_EQ(ReadFile(folder.path() / "target"), "old");
  EXPECT_EQ(testing::NamesIn(folder.path()),
            (std::vector<std::string>{"a folder", "source", "target"}));
}

TEST(DeleteOneFile, RefusesReadOnlyFilesAndFolders) {
  TempFolder folder;
  WriteFile(folder.path() / "locked", "l");
  testing::MakeReadOnly(folder.path() / "locked");
  fs::create_directory(folder.path() / "sub");
  EXPECT_NE(DeleteOneFile(folder / "locked"), 0);
  EXPECT_NE(DeleteOneFile(folder / "sub"), 0);
  EXPECT_NE(DeleteOneFile(folder / "missing"), 0);
  EXPECT_TRUE(fs::exists(folder.path() / "locked"));
  EXPECT_TRUE(fs::exists(folder.path() / "sub"));

  EXPECT_EQ(SetNormalAttributes(folder / "locked"), 0);
  EXPECT_EQ(DeleteOneFile(folder / "locked"), 0);
  EXPECT_FALSE(fs::exists(folder.path() / "locked"));
}

TEST(DescribeSystemError, GivesReadableTextWithoutLineBreaks) {
  const std::string text = DescribeSystemError(AccessDeniedError());
  EXPECT_FALSE(text.empty());
  EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos) << text;
}

TEST(GetShortFileName, EmptyForAMissingPath) {
  TempFolder folder;
  EXPECT_EQ(GetShortFileName(folder / "missing.pdf"), "");
  EXPECT_EQ(GetShortFileName(""), "");
}

TEST(GetShortFileName, NamesTheSameExistingFile) {
  TempFolder folder;
  WriteFile(folder.path() / "Relazione finale 2024.pdf", "pdf");
  const std::string shortName = GetShortFileName(folder / "Relazione finale 2024.pdf");
  ASSERT_FALSE(shortName.empty());
  // Short forms may come in capitals.
  EXPECT_TRUE(GetExtension(shortName) == "pdf" || GetExtension(shortName) == "PDF") << shortName;
  EXPECT_EQ(ReadFile(testing::PathFromUtf8(shortName)), "pdf");
}

TEST(GetShortFileName, ReturnsShortFormsLongerThanTheFirstBufferWhole) {
  TempFolder folder;
  // Folder names within 8.3 have no shorter form, so the short path stays this long.
  std::string path = folder.str();
  while (path.size() < 200) {
    path += Sep() + "abcdefgh";
    fs::create_directory(testing::PathFromUtf8(path));
  }
  path += Sep() + "doc.pdf";
  WriteFile(testing::PathFromUtf8(path), "deep");
  const std::string shortName = GetShortFileName(path);
  ASSERT_GT(shortName.size(), 164u);
  EXPECT_EQ(GetLastPathPart(shortName), "doc.pdf");
  EXPECT_EQ(ReadFile(testing::PathFromUtf8(shortName)), "deep");
}

}  // namespace
}  // namespace droplet
