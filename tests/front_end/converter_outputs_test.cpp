#include "front_end/converter_outputs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace droplet {
namespace {

std::vector<std::string> OutputsAmong(const ConverterOutputs& outputs, const std::string& pdf,
                                      const std::vector<std::string>& names) {
  std::vector<std::string> found;
  for (const std::string& name : names) {
    if (outputs.IsOutput(pdf, name)) found.push_back(name);
  }
  return found;
}

TEST(ConverterOutputs, HtmlPagesAreTheFramePagesIndexOutlineAndBackgroundsOfThatNameOnly) {
  const HtmlPagesOutputs html;
  const std::vector<std::string> names = {
      "doc.html",       "doc_ind.html", "doc-outline.html", "doc-1.html", "doc-12.html",
      "doc001.png",     "doc1000.jpg",  "doc-3_2.png",      "doc.pdf",    "doc.txt",
      "doc-0.html",     "doc-01.html",  "doc01.png",        "doc000.png", "doc-appunti.html",
      "doc-1.html.bak", "docx.html",    "altro-1.html",     "DOC-2.HTML", "doc001.gif"};
  EXPECT_EQ(OutputsAmong(html, "doc.pdf", names),
            (std::vector<std::string>{"doc.html", "doc_ind.html", "doc-outline.html", "doc-1.html",
                                      "doc-12.html", "doc001.png", "doc1000.jpg", "doc-3_2.png",
                                      "DOC-2.HTML"}));
  EXPECT_EQ(html.ResultToOpen("doc.pdf"), "doc.html");
  // Only ".pdf" and ".PDF" leave the name; a stem may hold anything, blanks and dots included.
  EXPECT_TRUE(html.IsOutput("Mio Doc.PdF", "Mio Doc.PdF-1.html"));
  EXPECT_EQ(html.ResultToOpen("RELAZI~1.PDF"), "RELAZI~1.html");
  EXPECT_TRUE(html.IsOutput("a (2).pdf", "a (2)002.png"));
  EXPECT_FALSE(html.IsOutput("a (2).pdf", "a002.png"));
}

TEST(ConverterOutputs, TextIsOneFileOfTheStemsName) {
  const TextOutputs text;
  EXPECT_EQ(OutputsAmong(text, "doc.pdf",
                         {"doc.txt", "doc.TXT", "doc.pdf", "doc-1.txt", "doc.txt.txt",
                          "LEGGIMI.txt", "doc.html"}),
            (std::vector<std::string>{"doc.txt", "doc.TXT"}));
  EXPECT_EQ(text.ResultToOpen("SECONDO.PDF"), "SECONDO.txt");
  EXPECT_EQ(text.ResultToOpen("strano.PdF"), "strano.PdF.txt");
}

// Two PDFs may run side by side only when no name can be both's: for the HTML converter a stem
// that begins another ("a" and "a1": a1001.png is page 1001 of one and page 1 of the other).
TEST(ConverterOutputs, NamesSharedBetweenTwoPdfs) {
  const HtmlPagesOutputs html;
  const TextOutputs text;
  EXPECT_TRUE(html.MayShareNames("a.pdf", "a1.pdf"));
  EXPECT_TRUE(html.IsOutput("a.pdf", "a1001.png") && html.IsOutput("a1.pdf", "a1001.png"));
  EXPECT_TRUE(html.MayShareNames("a.pdf", "a-1.pdf"));
  EXPECT_FALSE(html.MayShareNames("uno.pdf", "due.pdf"));
  EXPECT_TRUE(html.MayShareNames("Uno.pdf", "uno.PDF"));
  EXPECT_FALSE(text.MayShareNames("a.pdf", "a1.pdf"));
  EXPECT_TRUE(text.MayShareNames("a.pdf", "A.PDF"));
}

}  // namespace
}  // namespace droplet
