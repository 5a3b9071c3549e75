#include "common/quoting.h"

#include <gtest/gtest.h>

namespace droplet {
namespace {

TEST(QuoteForPosixShell, WrapsEveryByteLiterallyAndEscapesSingleQuotes) {
  EXPECT_EQ(QuoteForPosixShell("a b.pdf"), "'a b.pdf'");
  EXPECT_EQ(QuoteForPosixShell("$(touch y).pdf"), "'$(touch y).pdf'");
  EXPECT_EQ(QuoteForPosixShell("l'anno.pdf"), "'l'\\''anno.pdf'");
  EXPECT_EQ(QuoteForPosixShell(""), "''");
}

TEST(QuoteForCmd, WrapsInDoubleQuotes) {
  EXPECT_EQ(QuoteForCmd("C:\\a&b.pdf"), "\"C:\\a&b.pdf\"");
}

}  // namespace
}  // namespace droplet
