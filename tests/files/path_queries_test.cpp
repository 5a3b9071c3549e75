#include <gtest/gtest.h>

#include "files/file_operations.h"
#include "files/wildcard.h"

namespace droplet {
namespace {

TEST(GetExtension, TakesOneToFourCharactersAfterTheLastNearbyDot) {
  EXPECT_EQ(GetExtension("report.pdf"), "pdf");
  EXPECT_EQ(GetExtension("a.b.html"), "html");
  EXPECT_EQ(GetExtension("x.c"), "c");
  EXPECT_EQ(GetExtension("C:\\DOCS\\RELAZI~1.PDF"), "PDF");
  EXPECT_EQ(GetExtension("/tmp/photo.jpeg"), "jpeg");
  EXPECT_EQ(GetExtension("città.però"), "però");  // characters, not bytes
  EXPECT_EQ(GetExtension("x.\xE4\xB8\xAD\xE6\x96\x87"), "\xE4\xB8\xAD\xE6\x96\x87");
}

TEST(GetExtension, UnknownWithoutAShortExtension) {
  for (const char* name : {"archive.backup", "noext", "file.", "", ".", "a", "c.", ".htaccess"}) {
    EXPECT_EQ(GetExtension(name), "Unknown") << name;
  }
}

TEST(GetLastPathPart, FollowsTheStylesSeparator) {
  EXPECT_EQ(GetLastPathPart("C:\\docs\\report.pdf", kWindowsPathStyle), "report.pdf");
  EXPECT_EQ(GetLastPathPart("report.pdf", kWindowsPathStyle), "");
  EXPECT_EQ(GetLastPathPart("C:\\docs\\", kWindowsPathStyle), "");
  EXPECT_EQ(GetLastPathPart("C:report.pdf", kWindowsPathStyle), "");

  EXPECT_EQ(GetLastPathPart("/home/anna/report.pdf", kPosixPathStyle), "report.pdf");
  EXPECT_EQ(GetLastPathPart("/home/anna/", kPosixPathStyle), "");
  // A backslash is an ordinary character of a POSIX name.
  EXPECT_EQ(GetLastPathPart("C:\\docs\\report.pdf", kPosixPathStyle), "");
  EXPECT_EQ(GetLastPathPart("/x/a\\b.pdf", kPosixPathStyle), "a\\b.pdf");
}

TEST(GetFileName, LastPartWithOrWithoutItsExtension) {
  const PathStyle& win = kWindowsPathStyle;
  EXPECT_EQ(GetFileName("C:\\docs\\report.final.pdf", false, win), "report.final");
  EXPECT_EQ(GetFileName("C:\\docs\\report.final.pdf", true, win), "report.final.pdf");
  EXPECT_EQ(GetFileName("C:report.pdf", false, win), "report");
  EXPECT_EQ(GetFileName("C:report.pdf", true, win), "report.pdf");
  EXPECT_EQ(GetFileName("report", false, win), "report");
  EXPECT_EQ(GetFileName("C:\\docs\\", true, win), "");
  EXPECT_EQ(GetFileName("C:\\docs\\", false, win), "");
  // Only the last part counts: a dot in a folder's name is no extension.
  EXPECT_EQ(GetFileName("C:\\v1.2\\readme", false, win), "readme");

  const PathStyle& posix = kPosixPathStyle;
  EXPECT_EQ(GetFileName("/srv/out/report.final.pdf", false, posix), "report.final");
  EXPECT_EQ(GetFileName("/srv/out/report.final.pdf", true, posix), "report.final.pdf");
  // No drive colon on POSIX: it belongs to the name.
  EXPECT_EQ(GetFileName("C:report.pdf", false, posix), "C:report");
  EXPECT_EQ(GetFileName("/srv/out/", false, posix), "");
  EXPECT_EQ(GetFileName("/srv/v1.2/readme", false, posix), "readme");
}

TEST(MatchesWildcard, StarAndQuestionMarkIgnoringCase) {
  EXPECT_TRUE(MatchesWildcard("*.pdf", "Report.PDF"));
  EXPECT_TRUE(MatchesWildcard("*.PDF", "x.pdf"));
  EXPECT_TRUE(MatchesWildcard("*.pdf", ".pdf"));
  EXPECT_FALSE(MatchesWildcard("*.pdf", "x.pdfx"));
  EXPECT_FALSE(MatchesWildcard("*.pdf", "x.pd"));
  EXPECT_TRUE(MatchesWildcard("a?c", "abc"));
  EXPECT_FALSE(MatchesWildcard("a?c", "ac"));
  EXPECT_TRUE(MatchesWildcard("*a*b", "xaxxab"));
  EXPECT_TRUE(MatchesWildcard("*a*b", "aab"));
  EXPECT_FALSE(MatchesWildcard("*a*b", "xaxxa"));
  EXPECT_TRUE(MatchesWildcard("**", ""));
  EXPECT_FALSE(MatchesWildcard("", "a"));
  EXPECT_TRUE(MatchesWildcard("settings.ini", "SETTINGS.INI"));
}

TEST(MatchesWildcard, DotEntriesMatchStarPatterns) {
  for (const char* name : {".", "..", ".hidden", "plain"}) {
    EXPECT_TRUE(MatchesWildcard("*", name)) << name;
  }
  EXPECT_TRUE(MatchesWildcard("*.*", "."));
  EXPECT_TRUE(MatchesWildcard("*.*", ".."));
  EXPECT_FALSE(MatchesWildcard("*.*", "plain"));
}

TEST(MatchesWildcard, OtherCharactersStandForThemselves) {
  EXPECT_TRUE(MatchesWildcard("report [1].pdf", "report [1].pdf"));
  EXPECT_FALSE(MatchesWildcard("report [1].pdf", "report 1.pdf"));
  EXPECT_TRUE(MatchesWildcard("a\\*", "a\\bc"));
  EXPECT_FALSE(MatchesWildcard("a\\*", "a*"));
}

TEST(MatchesWildcard, QuestionMarkTakesAWholeUtf8Character) {
  EXPECT_TRUE(MatchesWildcard("caff?.txt", "caffè.txt"));
  EXPECT_TRUE(MatchesWildcard("?.txt", "中.txt"));
  EXPECT_TRUE(MatchesWildcard("?.txt", "😀.txt"));
  EXPECT_FALSE(MatchesWildcard("??.txt", "中.txt"));
  EXPECT_TRUE(MatchesWildcard("*?.txt", "αβγ.txt"));
}

}  // namespace
}  // namespace droplet
