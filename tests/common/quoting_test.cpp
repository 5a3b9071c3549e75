#include "common/quoting.h"

#include <gtest/gtest.h>

#include <string>

#include "support/windows_command_line.h"

namespace droplet {
namespace {

using testing::CmdWouldChange;
using testing::ParseWindowsArgument;

TEST(QuoteForPosixShell, WrapsEveryByteLiterallyAndEscapesSingleQuotes) {
  EXPECT_EQ(QuoteForPosixShell("a b.pdf"), "'a b.pdf'");
  EXPECT_EQ(QuoteForPosixShell("$(touch y).pdf"), "'$(touch y).pdf'");
  EXPECT_EQ(QuoteForPosixShell("l'anno.pdf"), "'l'\\''anno.pdf'");
  EXPECT_EQ(QuoteForPosixShell(""), "''");
}

TEST(QuoteForCmd, EveryWindowsNameReachesTheProgramWhole) {
  const char* names[] = {
      "C:\\prog\\relazione.pdf",
      "C:\\prog\\two  blanks and & ^ ! ; , = ( ) caret.pdf",
      "C:\\prog\\%OS%.pdf",
      "C:\\prog\\%PATH% and %%.pdf",
      "C:\\prog\\50% off%.pdf",
      "C:\\prog\\%",
      "C:\\folder\\",
      "C:\\a\\\\%b\\\\\\%c.pdf",
      "",
  };
  for (const std::string name : names) {
    SCOPED_TRACE(name);
    const std::string quoted = QuoteForCmd(name);
    EXPECT_FALSE(CmdWouldChange(quoted)) << quoted;
    EXPECT_EQ(ParseWindowsArgument(quoted), name) << quoted;
  }
}

TEST(QuoteForCmd, PlainPathsStayInOnePairOfQuotes) {
  EXPECT_EQ(QuoteForCmd("C:\\a&b.pdf"), "\"C:\\a&b.pdf\"");
  EXPECT_EQ(QuoteForCmd("C:\\prog\\%OS%.pdf"), "\"C:\\prog\\\\\"%\"OS\"%\".pdf\"");
}

}  // namespace
}  // namespace droplet
