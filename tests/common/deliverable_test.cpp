#include "front_end/deliverable.h"

#include <gtest/gtest.h>

#include "common/platform.h"
#include "support/temp_folder.h"

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

// The texts the user reads, blanks included: a lost or doubled blank is a visible change.
TEST(Deliverable, QuestionsAndMessagesKeepTheirExactWording) {
  const Deliverable& orvane = OrvaneDeliverable();
  EXPECT_EQ(orvane.confirmationQuestion, "Eseguire la conversione in formato HTML ?");
  EXPECT_EQ(orvane.openResultQuestion, "Aprire il file indice per visualizzare l'output?");
  EXPECT_EQ(orvane.cancellationMessage, "conversione in HTML annullata dall'utente");
  const Deliverable& tessik = TessikDeliverable();
  EXPECT_EQ(tessik.confirmationQuestion, "Eseguire la conversione in formato TESTO ?");
  EXPECT_EQ(tessik.openResultQuestion, "Aprire il file per la visualizzazione ?");
  EXPECT_EQ(tessik.cancellationMessage, "conversione  annullata dall'utente");
}

TEST(Deliverable, CommandLineQuotesThePathForTheInterpreter) {
  testing::TempFolder program;  // no converter beside the program: it is found by its name
  const std::string line = BuildCommandLine(TessikDeliverable(), "a b.pdf", program.str());
  EXPECT_EQ(line, InterpreterPrefix() + "pdftotext " + QuoteForInterpreter("a b.pdf"));
  EXPECT_EQ(BuildCommandLine(OrvaneDeliverable(), "x", program.str())
                .find(InterpreterPrefix() + "pdftohtml -c  -stdout "),
            0u);
}

}  // namespace
}  // namespace droplet
