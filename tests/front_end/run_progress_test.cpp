#include "front_end/run_progress.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace droplet {
namespace {

TEST(PageLineCounter, FindsPageLinesAcrossReadsOfAnySize) {
  const std::string output = "Page-1\nPage-2\r\nNota: Page-9 non conta\nPage-3x\nPage-10\n";
  for (size_t step : {1u, 3u, 256u}) {
    PageLineCounter counter;
    for (size_t at = 0; at < output.size(); at += step) counter.Feed(output.substr(at, step));
    EXPECT_EQ(counter.pages(), 10) << "reads of " << step;
  }
  PageLineCounter longLine;
  longLine.Feed(std::string(100000, 'x') + "\nPage-4\n");
  EXPECT_EQ(longLine.pages(), 4);
}

TEST(PageCountFromPdfInfo, ReadsThePagesLineOnly) {
  EXPECT_EQ(PageCountFromPdfInfo("Title:  a\nPages:          17\nEncrypted: no\n"), 17);
  EXPECT_EQ(PageCountFromPdfInfo("Pages: 0\n"), std::nullopt);
  EXPECT_EQ(PageCountFromPdfInfo("Syntax Error: Couldn't read xref table\n"), std::nullopt);
  EXPECT_EQ(PageCountFromPdfInfo("Pages: tante\n"), std::nullopt);
}

// A round picture of radius 30 on a 70 x 70 canvas, as the opaque runs give it.
std::vector<RunRect> Disc() {
  std::vector<RunRect> runs;
  for (int y = 0; y < 70; ++y) {
    int half = 0;
    while ((half + 1) * (half + 1) + (y - 35) * (y - 35) <= 900) ++half;
    if (half > 0) runs.push_back({35 - half, y, 35 + half, y + 1});
  }
  return runs;
}

bool Inside(const PictureRect& bar, const std::vector<RunRect>& runs) {
  for (int y = bar.top; y < bar.top + bar.height; ++y) {
    bool covered = false;
    for (const RunRect& run : runs) {
      covered =
          covered || (run.top == y && run.left <= bar.left && bar.left + bar.width <= run.right);
    }
    if (!covered) return false;
  }
  return true;
}

TEST(ProgressBarPlace, KeepsInsideTheShapeClearOfLabelsAndLow) {
  const std::vector<RunRect> runs = Disc();
  const auto bar = ProgressBarPlace(runs, 70, 70, {});
  ASSERT_TRUE(bar.has_value());
  EXPECT_TRUE(Inside(*bar, runs));
  EXPECT_EQ(bar->height, kProgressBarHeight);
  EXPECT_GE(bar->top, 35);
  EXPECT_GE(bar->width, 24);

  // A label across the lower middle pushes the bar past it or beside it.
  const PictureRect label{25, bar->top, 20, 6};
  const auto moved = ProgressBarPlace(runs, 70, 70, {label});
  ASSERT_TRUE(moved.has_value());
  EXPECT_TRUE(Inside(*moved, runs));
  const bool overlaps =
      moved->left < label.left + label.width && label.left < moved->left + moved->width &&
      moved->top < label.top + label.height && label.top < moved->top + moved->height;
  EXPECT_FALSE(overlaps);

  EXPECT_EQ(ProgressBarPlace({}, 70, 70, {}), std::nullopt);
  EXPECT_EQ(ProgressBarPlace({{0, 60, 10, 61}}, 70, 70, {}), std::nullopt);  // far too narrow
}

TEST(ProgressFill, FollowsThePagesOrSweepsInsideTheBar) {
  const PictureRect bar{10, 50, 102, 11};
  EXPECT_EQ(ProgressFill(bar, {true, 0, 4}, 0), (PictureRect{11, 51, 0, 9}));
  EXPECT_EQ(ProgressFill(bar, {true, 1, 4}, 0), (PictureRect{11, 51, 25, 9}));
  EXPECT_EQ(ProgressFill(bar, {true, 9, 4}, 0), (PictureRect{11, 51, 100, 9}));  // never beyond
  for (int tick = -3; tick < 400; tick += 7) {
    const PictureRect sweep = ProgressFill(bar, {true, 2, 0}, tick);
    EXPECT_EQ(sweep.width, 25);
    EXPECT_GE(sweep.left, 11);
    EXPECT_LE(sweep.left + sweep.width, 111) << tick;
  }
  EXPECT_NE(ProgressFill(bar, {true, 0, 0}, 10).left, ProgressFill(bar, {true, 0, 0}, 40).left);
}

TEST(ProgressText, SaysHowFarTheRunIs) {
  EXPECT_EQ(ProgressDescription({true, 3, 17}), "Conversione in corso: pagina 3 di 17");
  EXPECT_EQ(ProgressDescription({true, 1, 0}), "Conversione in corso: 1 pagina convertita");
  EXPECT_EQ(ProgressDescription({true, 0, 0}), "Conversione in corso...");
  EXPECT_EQ(ProgressCount({true, 3, 17}), "3/17");
  EXPECT_EQ(ProgressCount({true, 20, 17}), "17/17");
  EXPECT_EQ(ProgressCount({true, 0, 0}), "");
}

// A batch says which document of how many comes first, then that document's pages; its bar
// fills with the documents over and the current one's pages.
TEST(ProgressText, ABatchSaysTheDocumentThenItsPages) {
  const RunProgress third{true, 3, 17, 2, 8, 1};
  EXPECT_EQ(ProgressDescription(third), "Conversione in corso: documento 2 di 8, pagina 3 di 17");
  EXPECT_EQ(ProgressCount(third), "2/8 3/17");
  EXPECT_EQ(ProgressDescription({true, 0, 0, 1, 8, 0}), "Conversione in corso: documento 1 di 8");
  EXPECT_EQ(ProgressCount({true, 0, 0, 1, 8, 0}), "1/8");
  const PictureRect bar{0, 0, 102, 11};
  EXPECT_EQ(ProgressFill(bar, {true, 0, 0, 1, 4, 0}, 0).width, 0);
  EXPECT_EQ(ProgressFill(bar, {true, 5, 10, 2, 4, 1}, 0).width, 37);  // 1.5 of 4 documents
  EXPECT_EQ(ProgressFill(bar, {true, 0, 0, 4, 4, 4}, 0).width, 100);
}

}  // namespace
}  // namespace droplet
