// PDFs the converters cannot read, or read only with trouble. Each run ends in the program's own
// behaviour (results, or the missing-results message and the end of the program), the dropped
// file survives, and nothing in the program folder is left for the next run to take for a
// result: the next run after a failed one converts its own PDF and only that.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "encrypted_pdf.h"
#include "support/pdf_writer.h"
#include "support/workflow_rig.h"

namespace droplet::testing {
namespace {

namespace fs = std::filesystem;

struct BadPdf {
  const char* label;
  std::function<std::string()> bytes;
  bool converts;             // the converter produces a result
  const char* expectedText;  // in the text result, when it converts
};

std::string Truncated() {
  const std::string whole = MakePdf(NumberedPages(3));
  return whole.substr(0, whole.size() * 6 / 10);
}

std::string CorruptHeader() {
  std::string pdf = MakePdf(NumberedPages(1));
  pdf.replace(0, 5, "%XYZ-");
  // Garble every object header too, so no reader can recover the document by a scan.
  for (size_t at = pdf.find(" obj"); at != std::string::npos; at = pdf.find(" obj", at + 1)) {
    pdf[at + 1] = 'x';
  }
  return pdf;
}

std::string NoTextLayer() {
  return MakePdf({PdfPage{{}, true}});
}

const std::vector<BadPdf>& BadPdfs() {
  static const std::vector<BadPdf> kinds = {
      {"empty", [] { return std::string(); }, false, nullptr},
      {"truncated", Truncated, false, nullptr},
      {"corrupt header", CorruptHeader, false, nullptr},
      {"encrypted", [] { return MakeEncryptedPdf("Segreto", "segreto", "padrone"); }, false,
       nullptr},
      {"random bytes", [] { return std::string(4096, '\xA7') + "%%EOF"; }, false, nullptr},
      {"no text layer", NoTextLayer, true, ""},
  };
  return kinds;
}

std::string CaseName(const ::testing::TestParamInfo<std::tuple<size_t, bool>>& info) {
  std::string label = BadPdfs()[std::get<0>(info.param)].label;
  for (char& c : label) {
    if (c == ' ') c = '_';
  }
  return (std::get<1>(info.param) ? "Orvane_" : "Tessik_") + label;
}

// Result files (by the deliverable's pattern) directly in `folder`.
std::vector<std::string> Results(const fs::path& folder, const Deliverable& deliverable) {
  std::vector<std::string> results;
  for (const std::string& name : NamesIn(folder)) {
    if (name.size() > deliverable.resultExtension.size() &&
        name.ends_with(deliverable.resultExtension)) {
      results.push_back(name);
    }
  }
  return results;
}

class BadPdfTest : public ::testing::TestWithParam<std::tuple<size_t, bool>> {};

TEST_P(BadPdfTest, EndsInTheProgramsBehaviourAndTheNextRunWorks) {
  const BadPdf& bad = BadPdfs()[std::get<0>(GetParam())];
  const Deliverable& deliverable =
      std::get<1>(GetParam()) ? OrvaneDeliverable() : TessikDeliverable();
  WorkflowRig rig(deliverable);
  const fs::path pdf = rig.documents.path() / "documento.pdf";
  WriteFile(pdf, bad.bytes());
  const auto sourceBefore = Snapshot(rig.documents.path());

  const bool ended = rig.Drop(Utf8(pdf));

  EXPECT_EQ(Snapshot(rig.documents.path()), sourceBefore);
  EXPECT_EQ(Results(rig.program.path(), deliverable), std::vector<std::string>{})
      << "a result left in the scratch area would be moved by the next run";
  if (bad.converts) {
    EXPECT_FALSE(ended);
    ASSERT_EQ(rig.desktop.texts().size(), 3u);
    EXPECT_EQ(rig.desktop.texts()[1], "Conversione completa");
    EXPECT_TRUE(fs::exists(rig.OutputFolder() / ("documento" + deliverable.resultExtension)));
    if (deliverable.resultExtension == ".txt") {
      EXPECT_NE(ReadFile(rig.OutputFolder() / "documento.txt").find(bad.expectedText),
                std::string::npos);
    }
  } else {
    EXPECT_TRUE(ended) << "a PDF the converter cannot read must end in the missing-results case";
    ASSERT_EQ(rig.desktop.texts().size(), 2u);
    EXPECT_TRUE(
        rig.desktop.texts()[1].starts_with("File " + deliverable.resultPattern + " NON trovato."))
        << rig.desktop.texts()[1];
    // Why: the converter's exit status and its last words, after an empty line.
    EXPECT_NE(
        rig.desktop.texts()[1].find("Bin\r\n\r\nIl convertitore è terminato con il codice 1.\r\n"),
        std::string::npos)
        << rig.desktop.texts()[1];
    if (std::string(bad.label) == "encrypted") {
      EXPECT_TRUE(rig.desktop.texts()[1].ends_with("\r\nCommand Line Error: Incorrect password"));
    }
    EXPECT_EQ(Results(rig.OutputFolder(), deliverable), std::vector<std::string>{})
        << "a failed conversion must not leave a result to report";
  }

  // The program starts again in the same folder and converts a sound PDF.
  ScriptedDesktop desktop;
  RecordingOpener opener;
  MainWindowWorkflow again(deliverable, desktop, opener, rig.program.str());
  const fs::path good = rig.documents.path() / "buono.pdf";
  WritePdf(good, NumberedPages(1));
  ASSERT_FALSE(DropOnto(again, desktop, {Utf8(good)}));
  ASSERT_EQ(desktop.texts().size(), 3u);
  EXPECT_EQ(desktop.texts()[1], "Conversione completa");
  EXPECT_EQ(NamesIn(rig.program.path()), std::vector<std::string>{"output"})
      << "the earlier run's copy must be gone after a completed run";
  const std::vector<std::string> expected =
      bad.converts && !deliverable.emptiesOutputBeforeRun
          ? std::vector<std::string>{"buono" + deliverable.resultExtension,
                                     "documento" + deliverable.resultExtension}
          : std::vector<std::string>{"buono" + deliverable.resultExtension};
  std::vector<std::string> results = Results(rig.OutputFolder(), deliverable);
  std::erase_if(results, [](const std::string& name) {
    return name.ends_with("_ind.html") || name.ends_with("-1.html");
  });
  EXPECT_EQ(results, expected);
}

INSTANTIATE_TEST_SUITE_P(BothPrograms, BadPdfTest,
                         ::testing::Combine(::testing::Range<size_t>(0, BadPdfs().size()),
                                            ::testing::Bool()),
                         CaseName);

// The encrypted fixture is a real protected document: with its password the converter reads it.
TEST(EncryptedPdf, OpensWithItsPasswordOnly) {
  TempFolder folder;
  const fs::path pdf = folder.path() / "segreto.pdf";
  WriteFile(pdf, MakeEncryptedPdf("Segreto di stato", "segreto", "padrone"));
  const std::string base = "pdftotext -q " + folder.str() + "/segreto.pdf ";
  EXPECT_NE(std::system((base + folder.str() + "/without.txt").c_str()), 0);
  EXPECT_FALSE(fs::exists(folder.path() / "without.txt"));
  ASSERT_EQ(std::system(("pdftotext -q -upw segreto " + folder.str() + "/segreto.pdf " +
                         folder.str() + "/with.txt")
                            .c_str()),
            0);
  EXPECT_NE(ReadFile(folder.path() / "with.txt").find("Segreto di stato"), std::string::npos);
}

}  // namespace
}  // namespace droplet::testing
