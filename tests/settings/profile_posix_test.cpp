#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "settings/profile.h"
#include "support/temp_folder.h"

// The POSIX profile functions: exact bytes on disk, and the files they must leave alone.

namespace droplet {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using testing::NamesIn;
using testing::ReadFile;
using testing::TempFolder;
using testing::WriteFile;

mode_t Mode(const std::string& path) {
  struct stat status {};
  EXPECT_EQ(::stat(path.c_str(), &status), 0) << path;
  return status.st_mode & 07777;
}

mode_t CurrentUmask() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return mask;
}

class ProfilePosix : public ::testing::Test {
 protected:
  bool Write(const std::string& section, const std::string& key, const std::string& value) {
    return WriteProfileString(section, key, value, file_);
  }
  std::string Read(const std::string& section, const std::string& key) const {
    return ReadProfileString(section, key, file_);
  }

  TempFolder folder_;
  const std::string file_ = folder_ / "Orvane.INI";
};

TEST_F(ProfilePosix, FirstSaveWritesExactlyTheTwoSections) {
  ASSERT_TRUE(Write("Folders", "open", "1"));
  ASSERT_TRUE(Write("Folders", "run", "0"));
  ASSERT_TRUE(Write("Range", "Active", "0"));
  ASSERT_TRUE(Write("Range", "Start", "1"));
  ASSERT_TRUE(Write("Range", "End", "1"));
  EXPECT_EQ(ReadFile(file_), "[Folders]\nopen=1\nrun=0\n[Range]\nActive=0\nStart=1\nEnd=1\n");
  EXPECT_EQ(NamesIn(folder_.path()), std::vector<std::string>{"Orvane.INI"})
      << "no temporary file left";
}

TEST_F(ProfilePosix, UpdatesKeepEveryOtherByteAndTheLineEnds) {
  const std::string before =
      "; a comment\r\n"
      "[folders]\r\n"
      " OPEN = 0 ; old\r\n"
      "other=\"quoted\"\r\n"
      "\r\n"
      "[Range]\r\n"
      "End=a=b\r\n"
      "\x01\x02 odd bytes \xff\r\n";
  WriteFile(file_, before);
  ASSERT_TRUE(Write("Folders", "open", "1"));
  ASSERT_TRUE(Write("Folders", "run", "x"));
  ASSERT_TRUE(Write("Range", "End", "c=d"));
  EXPECT_EQ(Read("Range", "End"), "c=d");
  EXPECT_EQ(ReadFile(file_),
            "; a comment\r\n"
            "[folders]\r\n"
            " OPEN =1\r\n"
            "other=\"quoted\"\r\n"
            "run=x\r\n"
            "\r\n"
            "[Range]\r\n"
            "End=c=d\r\n"
            "\x01\x02 odd bytes \xff\r\n");
}

TEST_F(ProfilePosix, RewritingTheSameValueLeavesTheFileAlone) {
  ASSERT_TRUE(Write("Folders", "open", "1"));
  struct stat before {};
  ASSERT_EQ(::stat(file_.c_str(), &before), 0);
  ASSERT_TRUE(Write("Folders", "open", "1"));
  struct stat after {};
  ASSERT_EQ(::stat(file_.c_str(), &after), 0);
  EXPECT_EQ(before.st_ino, after.st_ino) << "the file was not replaced";
}

TEST_F(ProfilePosix, AReadOnlyFileIsReadButNeverWritten) {
  WriteFile(file_, "[Folders]\nopen=1\n");
  ASSERT_EQ(::chmod(file_.c_str(), 0444), 0);
  EXPECT_EQ(Read("Folders", "open"), "1");
  EXPECT_FALSE(Write("Folders", "open", "0"));
  EXPECT_FALSE(Write("Range", "Start", "2"));
  EXPECT_EQ(ReadFile(file_), "[Folders]\nopen=1\n");
  EXPECT_EQ(Mode(file_), 0444u);
  EXPECT_EQ(NamesIn(folder_.path()), std::vector<std::string>{"Orvane.INI"});
}

TEST_F(ProfilePosix, AReplacedFileKeepsItsPermissionsAsFarAsADocumentHasThem) {
  WriteFile(file_, "[Folders]\nopen=1\n");
  ASSERT_EQ(::chmod(file_.c_str(), 0640), 0);
  ASSERT_TRUE(Write("Folders", "open", "0"));
  EXPECT_EQ(Mode(file_), 0640u);
  EXPECT_EQ(Read("Folders", "open"), "0");
  // Nobody else gets to write it, and nobody runs it.
  ASSERT_EQ(::chmod(file_.c_str(), 06777), 0);
  ASSERT_TRUE(Write("Folders", "open", "1"));
  EXPECT_EQ(Mode(file_), 0644u);
}

TEST_F(ProfilePosix, SomethingOtherThanAFileAtThePathIsLeftAlone) {
  fs::create_directory(file_);
  EXPECT_EQ(Read("Folders", "open"), "");
  EXPECT_FALSE(Write("Folders", "open", "1"));
  EXPECT_TRUE(fs::is_directory(file_));
  EXPECT_TRUE(fs::is_empty(file_));

  const std::string fifo = folder_ / "Tessik.INI";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  EXPECT_EQ(ReadProfileString("Folders", "open", fifo), "");  // does not wait for a writer
  EXPECT_FALSE(WriteProfileString("Folders", "open", "1", fifo));
  EXPECT_TRUE(fs::is_fifo(fifo));
}

// Another user's link at the settings file's name: read like the file, but the write puts a
// file of the droplet's own in the link's place and leaves what it led to alone.
TEST_F(ProfilePosix, ALinkIsReadButReplacedByAPlainFileOnWrite) {
  const std::string target = folder_ / "real.ini";
  WriteFile(target, "[Folders]\nopen=1\n");
  ASSERT_EQ(::chmod(target.c_str(), 0777), 0);
  fs::create_symlink("real.ini", file_);
  EXPECT_EQ(Read("Folders", "open"), "1");
  ASSERT_TRUE(Write("Folders", "open", "0"));
  EXPECT_FALSE(fs::is_symlink(file_));
  EXPECT_EQ(ReadFile(file_), "[Folders]\nopen=0\n");
  EXPECT_EQ(ReadFile(target), "[Folders]\nopen=1\n");
  EXPECT_EQ(Mode(file_), 0644u & ~CurrentUmask());
}

// Over a mebibyte the file counts as unreadable: no value of it counts, and it is never
// rewritten, so nothing of it is lost.
TEST_F(ProfilePosix, AFileOverTheSizeLimitIsUnreadableAndLeftAlone) {
  const std::string big = "[Folders]\nopen=0\n" + std::string(2 * 1024 * 1024, ';');
  WriteFile(file_, big);
  const ProfileReader reader(file_);
  EXPECT_TRUE(reader.unreadable());
  EXPECT_EQ(reader.Read("Folders", "open"), "");
  EXPECT_EQ(Read("Folders", "open"), "");
  EXPECT_FALSE(Write("Folders", "open", "1"));
  EXPECT_EQ(ReadFile(file_), big);

  // At the limit it is read; a missing file is no fault.
  WriteFile(file_, "[Folders]\nopen=0\n;" + std::string(kProfileSizeLimit - 18, ';'));
  EXPECT_FALSE(ProfileReader(file_).unreadable());
  EXPECT_EQ(ProfileReader(file_).Read("Folders", "open"), "0");
  EXPECT_FALSE(ProfileReader(folder_ / "missing.ini").unreadable());
}

TEST_F(ProfilePosix, GarbageIsReadWithoutHarmAndKeptByWrites) {
  std::string garbage = "\0\0[Folders\0]\n"s + std::string(200000, 'g') + "\0open=1"s;
  for (int i = 0; i < 512; ++i) garbage.push_back(static_cast<char>(i % 256));
  WriteFile(file_, garbage);
  EXPECT_EQ(Read("Folders", "open"), "");
  ASSERT_TRUE(Write("Range", "Start", "3"));
  EXPECT_EQ(Read("Range", "Start"), "3");
  const std::string after = ReadFile(file_);
  ASSERT_GE(after.size(), garbage.size());
  EXPECT_EQ(after.substr(0, garbage.size()), garbage);
}

TEST_F(ProfilePosix, TheFileNameIsMatchedWithoutCase) {
  WriteFile(folder_ / "ORVANE.ini", "[Folders]\nopen=2\n");
  EXPECT_EQ(Read("Folders", "open"), "2");
  ASSERT_TRUE(Write("Folders", "open", "1"));
  EXPECT_EQ(NamesIn(folder_.path()), std::vector<std::string>{"ORVANE.ini"});
  EXPECT_EQ(ReadFile(folder_ / "ORVANE.ini"), "[Folders]\nopen=1\n");

  // With two spellings on disk, the exact one is the file.
  WriteFile(file_, "[Folders]\nopen=exact\n");
  EXPECT_EQ(Read("Folders", "open"), "exact");
}

TEST_F(ProfilePosix, AFailedWriteReportsFalseAndCreatesNothing) {
  const std::string inMissingFolder = folder_ / "missing" + "/Orvane.INI";
  EXPECT_FALSE(WriteProfileString("Folders", "open", "1", inMissingFolder));
  EXPECT_EQ(ReadProfileString("Folders", "open", inMissingFolder), "");
  EXPECT_FALSE(WriteProfileString("Folders", "open", "1", folder_.str() + "/"));
  EXPECT_TRUE(NamesIn(folder_.path()).empty());
}

}  // namespace
}  // namespace droplet
