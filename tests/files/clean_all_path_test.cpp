#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "common/failure.h"
#include "common/platform.h"
#include "file_fixtures.h"
#include "files/file_operations.h"
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
