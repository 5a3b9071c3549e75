// File names that a shell, a wildcard search or a careless byte count would take for something
// else, carried through the whole drop-and-convert workflow of both programs with the real
// converters. Payloads `touch` a marker in the current folder if anything interprets them.

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "common/platform.h"
#include "support/pdf_writer.h"
#include "support/workflow_rig.h"

namespace droplet::testing {
namespace {

namespace fs = std::filesystem;

struct HostileName {
  std::string name;
  bool accepted = true;    // false: the workflow refuses it as not a PDF
  bool posixOnly = false;  // a name Windows cannot hold (or a path longer than it takes)
};

std::vector<HostileName> HostileNames() {
  std::vector<HostileName> names = {
      {"plain.pdf"},
      {"two  blanks and one.pdf"},
      {" leading and trailing blank .pdf"},
      {"l'anno scorso.pdf"},
      {"it's 'quoted'.pdf"},
      {"say \"cheese\".pdf", true, true},
      {"a;touch pwned-semicolon;.pdf"},
      {"a&touch pwned-ampersand&.pdf"},
      {"a&&touch pwned-and.pdf"},
      {"a|touch pwned-pipe|.pdf", true, true},
      {"$(touch pwned-dollar).pdf"},
      {"`touch pwned-backtick`.pdf"},
      {"x' ; touch pwned-quote ; '.pdf"},
      {"x\" ; touch pwned-dquote ; \".pdf", true, true},
      {"a\ntouch pwned-newline\n.pdf", true, true},
      {"tab\there.pdf", true, true},
      {"100% %PATH% %%.pdf"},
      {"caret^^ ^&touch pwned-caret.pdf"},
      {"bang! !PATH!.pdf"},
      {"star*.pdf", true, true},
      {"question?.pdf", true, true},
      {"[brackets] and {braces}.pdf"},
      {"~tilde #hash.pdf"},
      {"a>redirect.pdf", true, true},
      {"a<input.pdf", true, true},
      {"${IFS}ifs$HOME.pdf"},
      {"back\\slash.pdf", true, true},
      {"-leading-dash.pdf"},
      {"--help.pdf"},
      {"perché è già così.pdf"},
      {"Ελληνικά έγγραφα.pdf"},
      {"中文文件名.pdf"},
      {"emoji \xF0\x9F\x98\x80 file.pdf"},
      // 250 bytes, the longest the HTML converter can name; too long a path for Windows.
      {std::string(246, 'n') + ".pdf", true, true},
      {"UPPER.PDF"},
      {"lower.pdf"},
      {"Misto.PdF"},
      // On Windows its short form (PDF~1) has no extension, and the drop is refused.
      {".pdf", kNativePathStyle.separator == '/'},
      {"twice.pdf.pdf"},
      {"report.pdf.txt", false},
      {"no extension", false},
  };
  return names;
}

// The name as a test-name suffix: its index, since gtest takes only letters and digits.
std::string CaseName(const ::testing::TestParamInfo<std::tuple<size_t, bool>>& info) {
  return (std::get<1>(info.param) ? std::string("Orvane") : std::string("Tessik")) + "_" +
         std::to_string(std::get<0>(info.param));
}

class HostileNamesTest : public ::testing::TestWithParam<std::tuple<size_t, bool>> {};

TEST_P(HostileNamesTest, ConvertsWithoutRunningAnythingElseOrTouchingTheSource) {
  const HostileName hostile = HostileNames()[std::get<0>(GetParam())];
  const Deliverable& deliverable =
      std::get<1>(GetParam()) ? OrvaneDeliverable() : TessikDeliverable();
  SCOPED_TRACE("name: [" + hostile.name + "]");
  if (hostile.posixOnly && kNativePathStyle.separator != '/') GTEST_SKIP() << "not a Windows name";

  WorkflowRig rig(deliverable);
  const fs::path pdf = rig.documents.path() / PathFromUtf8(hostile.name);
  WritePdf(pdf, {PdfPage{{"Pagina uno del documento"}, false}});
  const auto sourceBefore = Snapshot(rig.documents.path());

  EXPECT_FALSE(rig.Drop(Utf8(pdf)));

  EXPECT_EQ(Snapshot(rig.documents.path()), sourceBefore)
      << "the dropped file or its folder changed";
  EXPECT_EQ(NamesIn(rig.current.path()), std::vector<std::string>{})
      << "something ran in the current folder";

  if (!hostile.accepted) {
    EXPECT_EQ(rig.desktop.texts(), std::vector<std::string>{"Non è un file PDF"});
    EXPECT_EQ(NamesIn(rig.program.path()), std::vector<std::string>{});
    return;
  }

  // The converter was given the copy's short form (the copy's own path on POSIX).
  const std::string copyName = Utf8(PathFromUtf8(rig.window.PdfPath()).filename());
  const std::string result = ConverterResultName(copyName, deliverable.resultExtension);
  const std::vector<std::string> expectedBoxes = {
      deliverable.confirmationQuestion + "\r\n\r\n(file : " + Utf8(pdf) + " )",
      "Conversione completa", deliverable.openResultQuestion};
  EXPECT_EQ(rig.desktop.texts(), expectedBoxes);
  // Nothing stays in the scratch area: no copy of the PDF, no result, no page image.
  EXPECT_EQ(NamesIn(rig.program.path()), std::vector<std::string>{"output"});

  const fs::path landed = rig.OutputFolder() / PathFromUtf8(result);
  ASSERT_TRUE(fs::exists(landed)) << "missing result " << result;
  if (deliverable.resultExtension == ".txt") {
    EXPECT_NE(ReadFile(landed).find("Pagina uno del documento"), std::string::npos);
  } else {
    const std::string stem = result.substr(0, result.size() - 5);
    EXPECT_TRUE(fs::exists(rig.OutputFolder() / PathFromUtf8(stem + "-1.html")));
    EXPECT_TRUE(fs::exists(rig.OutputFolder() / PathFromUtf8(stem + "001.png")));
  }
  // The output folder, then (the answer was Yes) the result the converter wrote.
  const std::vector<std::string> expectedOpened = {Utf8(rig.OutputFolder()), Utf8(landed)};
  EXPECT_EQ(rig.opener.Targets(), expectedOpened);
}

// Page texts of a settings file edited by hand reach the command line only as page numbers:
// anything else is refused and said before the run, which then converts every page.
TEST(HostileSettings, PageTextsNeverReachTheCommandLine) {
  for (const char* payload :
       {"1;touch pwned-semicolon", "1 & touch pwned-ampersand", "$(touch pwned-dollar)",
        "`touch pwned-backtick`", "1 -o x.html", "%PATH%", "2\"&touch pwned-quote&\""}) {
    SCOPED_TRACE(payload);
    WorkflowRig rig(OrvaneDeliverable());
    WriteFile(PathFromUtf8(SettingsFileIn(rig.program.str(), OrvaneDeliverable()).path),
              std::string("[Range]\r\nActive=1\r\nStart=1\r\nEnd=") + payload + "\r\n");
    const std::string pdf = Utf8(rig.documents.path() / "doc.pdf");
    WritePdf(PathFromUtf8(pdf), NumberedPages(2));
    EXPECT_FALSE(rig.Drop(pdf));
    EXPECT_EQ(rig.window.CommandLineField(),
              BuildCommandLine(OrvaneDeliverable(), rig.window.PdfPath(), rig.program.str()));
    EXPECT_NE(rig.desktop.texts().at(0).find("la pagina finale"), std::string::npos);
    EXPECT_TRUE(fs::exists(rig.OutputFolder() / "doc-2.html"));
    EXPECT_EQ(NamesIn(rig.current.path()), std::vector<std::string>{});
    EXPECT_EQ(NamesIn(rig.program.path()), (std::vector<std::string>{"Orvane.INI", "output"}));
  }
}

INSTANTIATE_TEST_SUITE_P(BothPrograms, HostileNamesTest,
                         ::testing::Combine(::testing::Range<size_t>(0, HostileNames().size()),
                                            ::testing::Bool()),
                         CaseName);

}  // namespace
}  // namespace droplet::testing
