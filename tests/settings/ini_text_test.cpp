#include "settings/ini_text.h"

#include <gtest/gtest.h>

#include <string>

namespace droplet {
namespace {

using namespace std::string_literals;

TEST(IniRead, MatchesNamesWithoutCaseAndTrimsBlanksAndQuotes) {
  const std::string text =
      "[ folders ]\r\n"
      "\t OPEN  =  1  \r\n"
      "Run=\"  two words \"\r\n"
      "[RANGE]\n"
      "start='x'\n"
      "end=\"mismatched'\n"
      "active=\"\n";
  EXPECT_EQ(IniRead(text, "Folders", "open"), "1");
  EXPECT_EQ(IniRead(text, "FOLDERS", " run "), "  two words ");
  EXPECT_EQ(IniRead(text, "Range", "Start"), "x");
  EXPECT_EQ(IniRead(text, "Range", "End"), "\"mismatched'");
  EXPECT_EQ(IniRead(text, "Range", "Active"), "\"");
  EXPECT_EQ(IniRead(text, "Range", "open"), "");
  EXPECT_EQ(IniRead(text, "Missing", "open"), "");
  EXPECT_EQ(IniRead("", "Folders", "open"), "");
}

TEST(IniRead, FirstSectionAndFirstKeyWinAndOnlyEntriesCount) {
  const std::string text =
      "open=stray\n"  // before any section: belongs to none
      "[Folders]\n"
      "; open=comment\n"  // a comment, not an entry
      "open\n"            // no '=': not an entry
      "open=first\n"
      "OPEN=second\n"
      "run=a=b\n"  // the value runs from the first '='
      "[Other]\n"
      "later=1\n"
      "[folders]\n"
      "open=third\n"
      "extra=4\n";
  EXPECT_EQ(IniRead(text, "Folders", "open"), "first");
  EXPECT_EQ(IniRead(text, "Folders", "run"), "a=b");
  EXPECT_EQ(IniRead(text, "Folders", "later"), "");
  EXPECT_EQ(IniRead(text, "Folders", "extra"), "");
  EXPECT_EQ(IniRead(text, "Other", "later"), "1");
}

TEST(IniRead, CutsLongValuesAtTheLimitButNeverInsideACharacter) {
  const auto read = [](const std::string& value) {
    return IniRead("[S]\nk=" + value + "\n", "S", "k");
  };
  EXPECT_EQ(read(std::string(300, 'a')), std::string(254, 'a'));
  EXPECT_EQ(read(std::string(254, 'a')), std::string(254, 'a'));
  // Two-, three- and four-byte characters that would straddle byte 254 go as a whole.
  EXPECT_EQ(read(std::string(253, 'a') + "\xC3\xA9zz"), std::string(253, 'a'));
  EXPECT_EQ(read(std::string(252, 'a') + "\xE2\x82\xACzz"), std::string(252, 'a'));
  EXPECT_EQ(read(std::string(251, 'a') + "\xF0\x9F\x98\x80zz"), std::string(251, 'a'));
  EXPECT_EQ(read(std::string(252, 'a') + "\xC3\xA9zz"), std::string(252, 'a') + "\xC3\xA9");
  // Bytes that are no UTF-8 at all are cut at the limit as they stand.
  EXPECT_EQ(read(std::string(300, '\x80')), std::string(254, '\x80'));
}

TEST(IniRead, SurvivesGarbage) {
  std::string garbage;
  for (int i = 0; i < 5000; ++i) garbage.push_back(static_cast<char>((i * 131) % 256));
  EXPECT_NO_FATAL_FAILURE(IniRead(garbage, "Folders", "open"));
  EXPECT_EQ(IniRead(std::string(1 << 20, '['), "Folders", "open"), "");
  EXPECT_EQ(IniRead(std::string(1 << 20, '='), "Folders", "open"), "");
  const std::string withNuls = "[Folders]\nope\0n=1\nopen=2\0tail\nrun=x\0y\n"s;
  EXPECT_EQ(IniRead(withNuls, "Folders", "open"), "2");
  EXPECT_EQ(IniRead(withNuls, "Folders", "run"), "x");
  EXPECT_EQ(IniRead("[Folders]\nopen=" + std::string(1 << 20, 'v'), "Folders", "open"),
            std::string(254, 'v'));
}

TEST(IniWrite, ReplacesOnlyTheValueOfAnExistingKey) {
  EXPECT_EQ(IniWrite("; c\r\n[folders]\r\n  OPEN =  old ; x\r\nrun=0\r\n", "Folders", "open", "1"),
            "; c\r\n[folders]\r\n  OPEN =1\r\nrun=0\r\n");
  EXPECT_EQ(IniWrite("[S]\nk=old", "S", "k", ""), "[S]\nk=");
  EXPECT_EQ(IniWrite("[S]\nk=1\nk=2\n[s]\nk=3\n", "S", "K", "9"), "[S]\nk=9\nk=2\n[s]\nk=3\n");
}

TEST(IniWrite, AddsAMissingKeyAfterTheLastFilledLineOfItsSection) {
  EXPECT_EQ(IniWrite("[A]\nx=1\n; note\n\n \n[B]\ny=2\n", "a", "z", "3"),
            "[A]\nx=1\n; note\nz=3\n\n \n[B]\ny=2\n");
  EXPECT_EQ(IniWrite("[A]\n\n[B]\n", "A", "z", "3"), "[A]\nz=3\n\n[B]\n");
  EXPECT_EQ(IniWrite("[A]\r\nx=1", "A", "z", "3"), "[A]\r\nx=1\r\nz=3\r\n");
  EXPECT_EQ(IniWrite("[A]", "A", "z", "3"), "[A]\nz=3\n");
}

TEST(IniWrite, AppendsAMissingSectionInTheFilesLineEndStyle) {
  EXPECT_EQ(IniWrite("", "Folders", "open", "1"), "[Folders]\nopen=1\n");
  EXPECT_EQ(IniWrite("[A]\r\nx=1\r\n", "B", "y", "2"), "[A]\r\nx=1\r\n[B]\r\ny=2\r\n");
  EXPECT_EQ(IniWrite("[A]\r\nx=1", "B", "y", "2"), "[A]\r\nx=1\r\n[B]\r\ny=2\r\n");
  EXPECT_EQ(IniWrite("; only a comment", "B", "y", "2"), "; only a comment\n[B]\ny=2\n");
  // A final CR without LF already ends its line: the value reads the same before and after.
  EXPECT_EQ(IniRead("[A]\nx=1\r", "A", "x"), "1");
  EXPECT_EQ(IniWrite("[A]\nx=1\r", "B", "y", "2"), "[A]\nx=1\r\n[B]\ny=2\n");
  EXPECT_EQ(IniWrite("[A]\r\nx=1\r", "A", "y", "2"), "[A]\r\nx=1\r\ny=2\r\n");
  // The section before is not the one named: '[Ab]' is no match for 'A'.
  EXPECT_EQ(IniWrite("[Ab]\n", "A", "y", "2"), "[Ab]\n[A]\ny=2\n");
}

TEST(IniWrite, ValuesCannotAddLinesOfTheirOwn) {
  const std::string written =
      IniWrite("[Range]\nStart=1\n", "Range", "Start", "7\r\n[Folders]\nopen=2");
  EXPECT_EQ(written, "[Range]\nStart=7\n");
  EXPECT_EQ(IniRead(written, "Folders", "open"), "");
  EXPECT_EQ(IniStorableValue("a\0b"s), "a");
  EXPECT_EQ(IniStorableValue("abc"), "abc");
}

TEST(IniNamesStorable, RefusesNamesTheFileCouldNotHold) {
  EXPECT_TRUE(IniNamesStorable("Folders", "open"));
  EXPECT_FALSE(IniNamesStorable("", "open"));
  EXPECT_FALSE(IniNamesStorable(" ", "open"));
  EXPECT_FALSE(IniNamesStorable("Folders", ""));
  EXPECT_FALSE(IniNamesStorable("Fold]ers", "open"));
  EXPECT_FALSE(IniNamesStorable("Folders\n", "open"));
  EXPECT_FALSE(IniNamesStorable("Folders", "op=en"));
  EXPECT_FALSE(IniNamesStorable("Folders", ";open"));
  EXPECT_FALSE(IniNamesStorable("Folders", "[open"));
  EXPECT_FALSE(IniNamesStorable("Folders", "o\0pen"s));
}

TEST(IniWrite, WhatIsWrittenReadsBack) {
  std::string text = "; settings\n[Other]\nkeep=me\n";
  const std::pair<const char*, const char*> values[] = {
      {"open", "1"}, {"run", ""}, {"Start", "abc"}, {"End", "a=b"}, {"open", "2"}};
  for (const auto& [key, value] : values) {
    text = IniWrite(text, "Folders", key, value);
    EXPECT_EQ(IniRead(text, "Folders", key), value) << key;
  }
  EXPECT_EQ(IniRead(text, "Other", "keep"), "me");
  EXPECT_EQ(text, "; settings\n[Other]\nkeep=me\n[Folders]\nopen=2\nrun=\nStart=abc\nEnd=a=b\n");
}

}  // namespace
}  // namespace droplet
