#include "settings/ini_settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "common/platform.h"
#include "files/file_operations.h"
#include "front_end/deliverable.h"
#include "settings/profile.h"
#include "support/scripted_desktop.h"
#include "support/temp_folder.h"

// The settings operations against the platform's profile functions. The same cases run on
// POSIX (our own reader and writer) and under Wine (the system's), so they check what a user
// can see: values read back, lines still in the file, their order. Byte-exact file contents
// are checked in profile_posix_test.cpp.

namespace droplet {
namespace {

using testing::ReadFile;
using testing::TempFolder;
using testing::WriteFile;

std::vector<std::string> Names(const TempFolder& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
    names.push_back(testing::Utf8(entry.path().filename()));
  }
  std::sort(names.begin(), names.end());
  return names;
}

// Positions of `parts` in `text`; fails when one is missing or they come out of order.
void ExpectInOrder(const std::string& text, const std::vector<std::string>& parts) {
  std::size_t from = 0;
  for (const auto& part : parts) {
    const std::size_t at = text.find(part, from);
    ASSERT_NE(at, std::string::npos) << "'" << part << "' missing or out of order in:\n" << text;
    from = at + part.size();
  }
}

class IniSettings : public ::testing::Test {
 protected:
  std::string Read(const std::string& section, const std::string& key) const {
    return ReadIniValue(orvaneFile_.path, section, key);
  }
  void Write(const std::string& section, const std::string& key, const std::string& value) {
    WriteIniValue(orvaneFile_.path, section, key, value);
  }
  std::filesystem::path File(const std::string& name) const { return folder_.path() / name; }
  // The five values in the order in which the options dialog saves them.
  void SaveAll(const std::string& open, const std::string& run, const std::string& active,
               const std::string& start, const std::string& end) {
    Write("Folders", "open", open);
    Write("Folders", "run", run);
    Write("Range", "Active", active);
    Write("Range", "Start", start);
    Write("Range", "End", end);
  }
  void ExpectAll(const std::string& open, const std::string& run, const std::string& active,
                 const std::string& start, const std::string& end) const {
    EXPECT_EQ(Read("Folders", "open"), open);
    EXPECT_EQ(Read("Folders", "run"), run);
    EXPECT_EQ(Read("Range", "Active"), active);
    EXPECT_EQ(Read("Range", "Start"), start);
    EXPECT_EQ(Read("Range", "End"), end);
  }

  TempFolder folder_;
  const SettingsFile orvaneFile_ = SettingsFileIn(folder_.str(), OrvaneDeliverable());
};

TEST_F(IniSettings, PathIsTheFolderAndTheDeliverablesName) {
  EXPECT_EQ(orvaneFile_.path, folder_.str() + Sep() + "Orvane.INI");
  EXPECT_EQ(orvaneFile_.existencePath, folder_.str() + Sep() + "Orvane.ini");
  const std::string shortFolder = "X";
  const SettingsFile tessik = SettingsFileIn(shortFolder, TessikDeliverable());
  EXPECT_EQ(tessik.path, shortFolder + Sep() + "Tessik.INI");
  EXPECT_EQ(tessik.existencePath, shortFolder + Sep() + "Tessik.ini");
}

TEST_F(IniSettings, WithoutAFileEveryKeyIsEmptyAndTheFirstSaveCreatesBothSections) {
  ExpectAll("", "", "", "", "");
  EXPECT_TRUE(Names(folder_).empty()) << "reading must not create the file";

  SaveAll("1", "0", "0", "1", "1");
  ASSERT_EQ(Names(folder_), std::vector<std::string>{"Orvane.INI"});
  ExpectAll("1", "0", "0", "1", "1");
  ExpectInOrder(ReadFile(File("Orvane.INI")),
                {"[Folders]", "open=1", "run=0", "[Range]", "Active=0", "Start=1", "End=1"});
}

TEST_F(IniSettings, LongValuesComeBackCutTo254Bytes) {
  const std::string value(300, 'x');
  Write("Range", "Start", value);
  EXPECT_EQ(Read("Range", "Start"), value.substr(0, 254));
  EXPECT_NE(ReadFile(File("Orvane.INI")).find(value), std::string::npos)
      << "the whole value is stored";
  // Two-byte characters: the same byte limit on every platform, no character split.
  std::string accented;
  for (int i = 0; i < 200; ++i) accented += "\xC3\xA8";
  Write("Range", "End", accented);
  EXPECT_EQ(Read("Range", "End"), accented.substr(0, 254));
}

TEST_F(IniSettings, NamesDifferingOnlyInCaseAreTheSameEntry) {
  WriteFile(File("Orvane.INI"), "[folders]\r\nOPEN=2\r\nRun=1\r\n[RANGE]\r\nactive=1\r\n");
  EXPECT_EQ(Read("Folders", "open"), "2");
  EXPECT_EQ(Read("Folders", "run"), "1");
  EXPECT_EQ(Read("Range", "Active"), "1");

  Write("Folders", "open", "0");
  Write("Range", "Active", "0");
  EXPECT_EQ(Read("Folders", "open"), "0");
  EXPECT_EQ(Read("Range", "Active"), "0");
  const std::string text = ReadFile(File("Orvane.INI"));
  EXPECT_EQ(text.find("[Folders]"), std::string::npos) << "no second section:\n" << text;
  EXPECT_EQ(text.find("open="), std::string::npos) << "no second key:\n" << text;
  ExpectInOrder(text, {"[folders]", "OPEN=0", "Run=1", "[RANGE]", "active=0"});
}

TEST_F(IniSettings, SavingOverAFileReplacesValuesAndKeepsEverythingElse) {
  WriteFile(File("Orvane.INI"),
            "; written by hand\r\n"
            "[Folders]\r\n"
            "open=0\r\n"
            "mine=keep\r\n"
            "run=1\r\n"
            "\r\n"
            "[Other]\r\n"
            "; about other\r\n"
            "x=y\r\n"
            "[Range]\r\n"
            "Active=1\r\n"
            "Start=3\r\n"
            "End=9\r\n");
  SaveAll("1", "0", "2", "4", "8");
  ExpectAll("1", "0", "2", "4", "8");
  EXPECT_EQ(Read("Folders", "mine"), "keep");
  EXPECT_EQ(Read("Other", "x"), "y");
  ExpectInOrder(ReadFile(File("Orvane.INI")),
                {"; written by hand", "[Folders]", "open=1", "mine=keep", "run=0", "[Other]",
                 "; about other", "x=y", "[Range]", "Active=2", "Start=4", "End=8"});
}

TEST_F(IniSettings, NewKeysGoToTheEndOfTheirSectionAndNewSectionsToTheEndOfTheFile) {
  WriteFile(File("Orvane.INI"), "[Folders]\r\nopen=1\r\n[Other]\r\nx=y\r\n");
  Write("Folders", "run", "1");
  Write("Range", "Start", "5");
  ExpectInOrder(ReadFile(File("Orvane.INI")),
                {"[Folders]", "open=1", "run=1", "[Other]", "x=y", "[Range]", "Start=5"});
  EXPECT_EQ(Read("Folders", "run"), "1");
  EXPECT_EQ(Read("Range", "Start"), "5");
  EXPECT_EQ(Read("Other", "run"), "");
}

TEST_F(IniSettings, LettersAndEmptyPageTextsRoundTrip) {
  SaveAll("1", "1", "1", "abc", "");
  ExpectAll("1", "1", "1", "abc", "");
  SaveAll("0", "0", "0", "", "dieci");
  ExpectAll("0", "0", "0", "", "dieci");
}

TEST_F(IniSettings, EachDeliverableHasItsOwnFile) {
  const std::string tessik = SettingsFileIn(folder_.str(), TessikDeliverable()).path;
  Write("Range", "Start", "orvane");
  WriteIniValue(tessik, "Range", "Start", "tessik");
  EXPECT_EQ(Read("Range", "Start"), "orvane");
  EXPECT_EQ(ReadIniValue(tessik, "Range", "Start"), "tessik");
  EXPECT_EQ(Names(folder_), (std::vector<std::string>{"Orvane.INI", "Tessik.INI"}));
}

TEST_F(IniSettings, AFileSpelledInOtherLettersIsTheSettingsFile) {
  WriteFile(File("orvane.ini"), "[Folders]\r\nopen=2\r\n");
  EXPECT_EQ(Read("Folders", "open"), "2");
  Write("Folders", "open", "0");
  Write("Range", "End", "7");
  EXPECT_EQ(Read("Folders", "open"), "0");
  EXPECT_EQ(Read("Range", "End"), "7");
  EXPECT_EQ(Names(folder_), std::vector<std::string>{"orvane.ini"});
  ExpectInOrder(ReadFile(File("orvane.ini")), {"[Folders]", "open=0", "[Range]", "End=7"});
}

TEST_F(IniSettings, TheOptionsDialogsExistenceCheckFindsTheFileTheWritesCreated) {
  testing::ScriptedDesktop desktop;
  EXPECT_FALSE(FileExists(orvaneFile_.existencePath, desktop));
  Write("Folders", "open", "1");
  EXPECT_TRUE(FileExists(orvaneFile_.existencePath, desktop));
  EXPECT_EQ(Names(folder_), std::vector<std::string>{"Orvane.INI"});
  EXPECT_TRUE(desktop.boxes().empty());
}

TEST_F(IniSettings, NothingBreaksTheFileThroughAValue) {
  SaveAll("1", "0", "0", "1", "1");
  Write("Range", "Start", "2\r\n[Folders]\r\nopen=5");
  EXPECT_EQ(Read("Range", "Start"), "2");
  EXPECT_EQ(Read("Folders", "open"), "1");
  EXPECT_FALSE(WriteProfileString("Fold]ers", "open", "1", orvaneFile_.path));
  EXPECT_FALSE(WriteProfileString("Folders", "op=en", "1", orvaneFile_.path));
  EXPECT_EQ(Read("Folders", "open"), "1");
}

TEST_F(IniSettings, AMissingFolderGivesEmptyValuesAndRefusesWrites) {
  const std::string missing = IniFilePath(folder_.str() + Sep() + "missing", "Orvane.INI");
  EXPECT_EQ(ReadIniValue(missing, "Folders", "open"), "");
  EXPECT_FALSE(WriteProfileString("Folders", "open", "1", missing));
  WriteIniValue(missing, "Folders", "open", "1");  // silent
  EXPECT_TRUE(Names(folder_).empty());
}

}  // namespace
}  // namespace droplet
