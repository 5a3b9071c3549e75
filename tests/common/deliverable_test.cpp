#include "front_end/deliverable.h"

#include <gtest/gtest.h>

#include "common/platform.h"

namespace droplet {
namespace {

TEST(Deliverable, CaptionsAndQuitConfirmationFollowTheVersion) {
  EXPECT_EQ(WindowCaption(TessikDeliverable()), "Tessik - Ver: 0.0");
  EXPECT_EQ(WindowCaption(OrvaneDeliverable()), "");
  EXPECT_EQ(QuitTitle(TessikDeliverable()), "Tessik Version: (BETA) 0.0.9");
  EXPECT_EQ(QuitTitle(OrvaneDeliverable()), "");
  EXPECT_EQ(QuitQuestion(OrvaneDeliverable()),
            "Richiesta chiusura di Orvane \r\r \r\rContinuare ?");
}

TEST(Deliverable, CommandLineQuotesThePathForTheInterpreter) {
  const std::string line = BuildCommandLine(TessikDeliverable(), "a b.pdf");
  EXPECT_EQ(line, InterpreterPrefix() + "pdftotext " + QuoteForInterpreter("a b.pdf"));
  EXPECT_EQ(BuildCommandLine(OrvaneDeliverable(), "x").find(InterpreterPrefix() +
                                                            "pdftohtml -c  -stdout "),
            0u);
}

}  // namespace
}  // namespace droplet
