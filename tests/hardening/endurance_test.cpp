// Long runs: many conversions in one process must not accumulate descriptors, child processes
// or memory (LeakSanitizer checks the last one in the sanitizer build), and a long document must
// convert whole. Labelled "endurance" so that quick runs can leave them out.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/pdf_writer.h"
#include "support/workflow_rig.h"

namespace droplet::testing {
namespace {

namespace fs = std::filesystem;

TEST(Endurance, ThreeHundredConversionsLeaveNothingBehind) {
  WorkflowRig rig(TessikDeliverable());
  const fs::path pdf = rig.documents.path() / "breve.pdf";
  WritePdf(pdf, NumberedPages(1));
  const std::string path = Utf8(pdf);

  // One run first, so that whatever the first run sets up once is already counted.
  ASSERT_FALSE(rig.Drop(path));
  const int descriptors = CountOpenDescriptors();
  const int children = CountChildren();

  for (int run = 2; run <= 300; ++run) {
    rig.desktop.Clear();
    ASSERT_FALSE(rig.Drop(path)) << "run " << run;
    ASSERT_EQ(rig.desktop.texts().size(), 3u) << "run " << run;
    ASSERT_EQ(rig.desktop.texts()[1], "Conversione completa") << "run " << run;
    if (run % 50 == 0) {
      EXPECT_EQ(CountOpenDescriptors(), descriptors) << "after run " << run;
      EXPECT_EQ(CountChildren(), children) << "after run " << run;
    }
  }
  EXPECT_EQ(CountOpenDescriptors(), descriptors);
  EXPECT_EQ(CountChildren(), 0) << "a converter or shell was left as a zombie";
  EXPECT_EQ(NamesIn(rig.program.path()), std::vector<std::string>{"output"});
  EXPECT_EQ(NamesIn(rig.OutputFolder()), std::vector<std::string>{"breve.txt"});
  EXPECT_EQ(rig.opener.Targets().size(), 600u);
}

// A long document goes through whole; the HTML converter writes one page and image for each.
TEST(LongPdf, FiveHundredPagesConvertCompletely) {
  for (const Deliverable* deliverable : {&TessikDeliverable(), &OrvaneDeliverable()}) {
    WorkflowRig rig(*deliverable);
    const fs::path pdf = rig.documents.path() / "lungo.pdf";
    WritePdf(pdf, NumberedPages(500));
    ASSERT_FALSE(rig.Drop(Utf8(pdf)));
    ASSERT_EQ(rig.desktop.texts().size(), 3u);
    EXPECT_EQ(rig.desktop.texts()[1], "Conversione completa");
    EXPECT_EQ(NamesIn(rig.program.path()), std::vector<std::string>{"output"});
    if (deliverable->resultExtension == ".txt") {
      const std::string text = ReadFile(rig.OutputFolder() / "lungo.txt");
      EXPECT_NE(text.find("Pagina 1\n"), std::string::npos);
      EXPECT_NE(text.find("Pagina 500"), std::string::npos);
    } else {
      EXPECT_TRUE(fs::exists(rig.OutputFolder() / "lungo-500.html"));
      EXPECT_TRUE(fs::exists(rig.OutputFolder() / "lungo500.png"));
    }
  }
}

}  // namespace
}  // namespace droplet::testing
