#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "common/failure.h"
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
using testing::TempFolder;
using testing::WriteFile;

// A folder with plain, read-only and hidden files, and `depth` levels of subfolders holding
// the same.
void BuildTree(const fs::path& folder, int depth) {
  WriteFile(folder / "plain.txt", "p");
  WriteFile(folder / "locked.txt", "l");
  testing::MakeReadOnly(folder / "locked.txt");
  testing::MakeHiddenFile(folder, "hidden.txt");
  if (depth == 0) return;
  fs::create_directory(folder / "sub one");
  BuildTree(folder / "sub one", depth - 1);
  fs::create_directory(folder / "empty");
}

class CleanAllPathSeparator : public ::testing::TestWithParam<bool> {};

TEST_P(CleanAllPathSeparator, EmptiesTheWholeTreeAndKeepsTheFolder) {
  TempFolder root;
  const fs::path folder = root.path() / "output";
  fs::create_directory(folder);
  BuildTree(folder, 6);
  WriteFile(root.path() / "beside.txt", "stays");

  const std::string argument = root / "output" + (GetParam() ? Sep() : "");
  CleanAllPath(argument);

  EXPECT_TRUE(fs::is_directory(folder));
  EXPECT_TRUE(fs::is_empty(folder));
  EXPECT_EQ(NamesIn(root.path()), (std::vector<std::string>{"beside.txt", "output"}));
  // An empty folder is no failure either.
  CleanAllPath(argument);
  EXPECT_TRUE(fs::is_directory(folder));
}

INSTANTIATE_TEST_SUITE_P(WithAndWithoutFinalSeparator, CleanAllPathSeparator, ::testing::Bool());

TEST(CleanAllPath, MissingFolderIsNoFailure) {
  TempFolder root;
  EXPECT_NO_THROW(CleanAllPath(root / "missing"));
  EXPECT_NO_THROW(CleanAllPath(root / "missing" + Sep()));
  EXPECT_FALSE(fs::exists(root.path() / "missing"));
}

TEST(CleanAllPath, HiddenSubfoldersStayAndBlockTheirParent) {
  TempFolder root;
  const std::string top = testing::MakeHiddenFolder(root.path(), "cache");
  WriteFile(root.path() / top / "inside", "i");
  fs::create_directory(root.path() / "sub");
  WriteFile(root.path() / "sub" / "a.txt", "a");
  const std::string nested = testing::MakeHiddenFolder(root.path() / "sub", "keep");

  try {
    CleanAllPath(root.str());
    FAIL() << "no failure";
  } catch (const OperationFailure& failure) {
    EXPECT_EQ(failure.failure().source, "CleanAllPath");
    EXPECT_NE(failure.failure().number, 0);
  }
  // What was deleted stays deleted; the hidden folders and what holds them remain.
  EXPECT_FALSE(fs::exists(root.path() / "sub" / "a.txt"));
  EXPECT_TRUE(fs::is_directory(root.path() / "sub" / testing::PathFromUtf8(nested)));
  EXPECT_TRUE(fs::exists(root.path() / top / "inside"));

  fs::remove(root.path() / "sub" / testing::PathFromUtf8(nested));
  CleanAllPath(root.str());
  EXPECT_EQ(NamesIn(root.path()), (std::vector<std::string>{top}));
}

// Another user's folder (or the user's own documents) behind a link named like the folder.
struct LinkedFolder {
  TempFolder outside;
  TempFolder root;
  fs::path link = root.path() / "output";
  bool made = false;

  LinkedFolder() {
    BuildTree(outside.path(), 1);
    made = testing::MakeFolderLink(outside.path(), link);
  }
  void ExpectOutsideIntact() const {
    // The hidden file too: a dot name on POSIX, the attribute on Windows.
    const std::string hidden = kNativePathStyle.separator == '\\' ? "hidden.txt" : ".hidden.txt";
    std::vector<std::string> expected{"empty", hidden, "locked.txt", "plain.txt", "sub one"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(NamesIn(outside.path()), expected);
    EXPECT_EQ(testing::ReadFile(outside.path() / "sub one" / "plain.txt"), "p");
  }
};

TEST(CleanAllPath, AFolderThatIsALinkIsNeverEmptied) {
  LinkedFolder linked;
  if (!linked.made) GTEST_SKIP() << "this platform cannot make a link to a folder here";
  EXPECT_TRUE(IsLink(testing::Utf8(linked.link)));
  EXPECT_FALSE(IsLink(linked.outside.str()));
  EXPECT_EQ(CleanAllPath(testing::Utf8(linked.link)), CleanOutcome::kFolderIsLink);
  EXPECT_EQ(CleanAllPath(testing::Utf8(linked.link) + Sep()), CleanOutcome::kFolderIsLink);
  linked.ExpectOutsideIntact();
  EXPECT_TRUE(IsLink(testing::Utf8(linked.link)));

  // Results may still go where the link leads; the link itself stays a link.
  TempFolder results;
  WriteFile(results.path() / "doc.html", "<html>");
  testing::ScriptedDesktop desktop;
  CopiaFileCreaCartella(results.str() + Sep(), testing::Utf8(linked.link) + Sep(), "*.html",
                        desktop);
  EXPECT_TRUE(IsLink(testing::Utf8(linked.link)));
  EXPECT_EQ(testing::ReadFile(linked.outside.path() / "doc.html"), "<html>");
}

// A subfolder that someone swaps for a link between the listing and the descent is not entered:
// it no longer opens as a folder, and goes as the link it has become.
TEST(CleanAllPath, ASubfolderSwappedForALinkAfterTheListingIsNotEntered) {
  LinkedFolder linked;
  if (!linked.made) GTEST_SKIP() << "this platform cannot make a link to a folder here";
  fs::remove(linked.link);
  fs::create_directory(linked.root.path() / "sub");
  HeldFolder held;
  bool isLink = true;
  ASSERT_EQ(OpenFolderNoFollow(linked.root.str(), held, isLink), 0);
  EXPECT_FALSE(isLink);
  const FindResult listed = ListHeldFolder(held);
  ASSERT_EQ(listed.entries.size(), 1u);
  EXPECT_TRUE(listed.entries[0].isDirectory);
  EXPECT_FALSE(listed.entries[0].isLink);

  fs::remove(linked.root.path() / "sub");
  ASSERT_TRUE(testing::MakeFolderLink(linked.outside.path(), linked.root.path() / "sub"));
  HeldFolder child;
  ASSERT_EQ(OpenSubfolderNoFollow(held, "sub", child, isLink), 0);
  EXPECT_TRUE(isLink);
  EXPECT_FALSE(child.IsOpen());
  EXPECT_EQ(DeleteEntryAt(held, "sub"), 0);
  EXPECT_TRUE(fs::is_empty(linked.root.path()));
  linked.ExpectOutsideIntact();
}

TEST(CleanAllPath, FortyThousandEntriesInOneFolderMostOfThemSubfolders) {
  // More subfolders than a 16-bit signed count can hold, which must not limit the cleaning.
  if (kNativePathStyle.separator == '\\') {
    GTEST_SKIP() << "40,000 entries take Wine longer than the test's time limit; the list that "
                    "holds the subfolders is the same code natively";
  }
  // Removing thousands of folders from a disk mounted with "discard" takes minutes; a memory
  // file system, where there is one, keeps the test quick.
  const fs::path memory = "/dev/shm";
  const fs::path base = fs::is_directory(memory) ? memory : fs::temp_directory_path();
  TempFolder unique;
  const fs::path root = base / unique.path().filename();
  fs::create_directory(root);
  struct Remover {
    fs::path path;
    ~Remover() {
      std::error_code ignored;
      fs::remove_all(path, ignored);
    }
  } remover{root};

  for (int i = 0; i < 33000; ++i) {
    fs::create_directory(root / ("dir" + std::to_string(i)));
  }
  for (int i = 0; i < 7000; ++i) {
    WriteFile(root / ("file" + std::to_string(i) + ".html"), "");
  }
  const auto start = std::chrono::steady_clock::now();
  CleanAllPath(testing::Utf8(root));
  std::cout << "CleanAllPath of 40,000 entries: "
            << std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count()
            << " s\n";
  EXPECT_TRUE(fs::is_empty(root));
}

}  // namespace
}  // namespace droplet
