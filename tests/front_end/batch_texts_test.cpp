#include "front_end/batch_texts.h"

#include <gtest/gtest.h>

namespace droplet {
namespace {

TEST(BatchTexts, TheQuestionCountsAndNamesTheFirstPdfs) {
  EXPECT_EQ(BatchCount({"uno.pdf", "due.pdf"}), "2 file PDF: uno.pdf e due.pdf");
  EXPECT_EQ(BatchCount({"a.pdf", "b.pdf", "c.pdf"}), "3 file PDF: a.pdf, b.pdf e c.pdf");
  EXPECT_EQ(BatchCount({"uno.pdf", "due.pdf", "tre.pdf", "quattro.pdf"}),
            "4 file PDF: uno.pdf, due.pdf, tre.pdf e un altro");
  EXPECT_EQ(BatchCount({"a", "b", "c", "d", "e", "f"}), "6 file PDF: a, b, c e altri 3");
}

TEST(BatchTexts, TheSummaryCountsThenListsWhatFailed) {
  EXPECT_EQ(BatchSummary(1, 1, {}), "Convertito 1 PDF su 1.");
  EXPECT_EQ(BatchSummary(2, 3, {ReportLine("rotto.pdf", "il convertitore non è partito")}),
            "Convertiti 2 PDF su 3.\r\n- rotto.pdf: il convertitore non è partito");
}

}  // namespace
}  // namespace droplet
