// Real drags from an X11 program (the GUI tests' Qt drag source, moved by xdotool) onto the
// Win32 droplet running under Wine (drop_host_win32.cpp: the program's main window with the
// Windows converters), ending with the result in the output folder. A Linux program: the
// Windows build's tests run it (tests/wine_drag/CMakeLists.txt) with
//   DROPLET_WINE_DROP_HOST   the host executable
//   DROPLET_TEST_CONVERTERS  the folder of the Windows converters
//   DROPLET_REAL_CONVERTERS  1 when those are the real ones (poppler's, cross-built), whose
//                            results the tests then hold against the Linux converters'
// and it skips, saying why, when those, wine, xdotool or the display are missing.

#include <QCoreApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "support/pdf_writer.h"
#include "support/temp_folder.h"

namespace droplet::testing {
namespace {

namespace fs = std::filesystem;

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

// The path as Wine's programs see it: the Unix root is drive Z.
std::string WinePath(const fs::path& path) {
  std::string text = "Z:" + path.string();
  for (char& c : text) {
    if (c == '/') c = '\\';
  }
  return text;
}

// The next line `process` prints within `milliseconds`, without its line end; empty text when
// none comes.
std::string ReadLine(QProcess& process, int milliseconds) {
  if (!process.canReadLine() && !process.waitForReadyRead(milliseconds)) return {};
  while (!process.canReadLine() && process.waitForReadyRead(milliseconds)) {
  }
  return QString::fromUtf8(process.readLine()).trimmed().toStdString();
}

struct DragOutcome {
  int dropAction = -1;                                     // as the drag source reports it: 1 copy
  std::vector<std::pair<std::string, std::string>> boxes;  // title, text (\r \n escaped)
  std::vector<std::string> opened;
  int hostStatus = -1;
};

class WineDrop : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* host = std::getenv("DROPLET_WINE_DROP_HOST");
    const char* converters = std::getenv("DROPLET_TEST_CONVERTERS");
    if (host == nullptr || !fs::exists(host) || converters == nullptr) {
      GTEST_SKIP() << "WINE-DRAG SKIPPED: no Windows build (DROPLET_WINE_DROP_HOST, "
                      "DROPLET_TEST_CONVERTERS)";
    }
    if (QStandardPaths::findExecutable(QStringLiteral("wine")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty()) {
      GTEST_SKIP() << "WINE-DRAG SKIPPED: wine or xdotool is not installed";
    }
    if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "WINE-DRAG SKIPPED: no X display";
    host_ = host;
    converters_ = converters;
    const char* real = std::getenv("DROPLET_REAL_CONVERTERS");
    realConverters_ = real != nullptr && std::string(real) == "1";
  }

  // Skips a test that needs the real Windows converters and the Linux one named `linux`.
  bool SkipWithoutRealConverters(const char* linux) {
    if (!realConverters_) return true;
    return QStandardPaths::findExecutable(QString::fromLatin1(linux)).isEmpty();
  }

  // Starts the droplet under Wine, drags `items` onto it from the drag source and collects what
  // the droplet reports once the drop's handling has ended.
  DragOutcome DragOnto(const std::string& program, const fs::path& pdf) {
    return DragOnto(program, std::vector<fs::path>{pdf});
  }
  DragOutcome DragOnto(const std::string& program, const std::vector<fs::path>& items) {
    DragOutcome outcome;
    QProcess host;
    host.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    host.start(QStringLiteral("wine"), {Q(host_), Q(program), Q(WinePath(programFolder_.path())),
                                        Q(WinePath(converters_)), Q(WinePath(current_.path()))});
    int x = 0;
    int y = 0;
    const std::string ready = ReadLine(host, 60000);
    if (std::sscanf(ready.c_str(), "ready %d %d", &x, &y) != 2) {
      ADD_FAILURE() << "the droplet did not start: " << ready;
      return outcome;
    }

    QProcess source;
    QStringList sourceArguments = {"60", "120"};
    for (const fs::path& item : items) sourceArguments.append(Q(item.string()));
    source.start(QStringLiteral(DROPLET_DRAG_SOURCE), sourceArguments);
    EXPECT_EQ(ReadLine(source, 20000), "ready");
    QStringList script = {"mousemove", "100", "160", "sleep", "0.3", "mousedown", "1"};
    const auto moveTo = [&script](int toX, int toY, const char* pause) {
      script.append({"sleep", pause, "mousemove", QString::number(toX), QString::number(toY)});
    };
    constexpr int kSteps = 20;
    for (int step = 1; step <= kSteps; ++step) {
      moveTo(100 + (x - 100) * step / kSteps, 160 + (y - 160) * step / kSteps, "0.05");
    }
    script.append({"sleep", "0.3", "mouseup", "1"});
    EXPECT_EQ(QProcess::execute(QStringLiteral("xdotool"), script), 0);
    std::sscanf(ReadLine(source, 30000).c_str(), "result %d", &outcome.dropAction);

    for (std::string line = ReadLine(host, 90000); !line.empty() && line != "done";
         line = ReadLine(host, 90000)) {
      const size_t tab = line.find('\t');
      const std::string rest = tab == std::string::npos ? "" : line.substr(tab + 1);
      if (line.starts_with("box\t")) {
        const size_t second = rest.find('\t');
        outcome.boxes.emplace_back(rest.substr(0, second), rest.substr(second + 1));
      } else if (line.starts_with("opened\t")) {
        outcome.opened.push_back(rest);
      }
    }
    if (host.waitForFinished(20000)) outcome.hostStatus = host.exitCode();
    // The drag source serves the dragged data until the droplet has taken it.
    source.kill();
    source.waitForFinished();
    return outcome;
  }

  fs::path Document(const std::string& name) {
    const fs::path pdf = documents_.path() / PathFromUtf8(name);
    WritePdf(pdf, {PdfPage{{"Ciao mondo"}}});
    return pdf;
  }

  // The one result in the output folder holds the document's text.
  void ExpectTextResult() const {
    const std::vector<std::string> results = NamesIn(programFolder_.path() / "output");
    ASSERT_EQ(results.size(), 1u);
    EXPECT_NE(
        ReadFile(programFolder_.path() / "output" / PathFromUtf8(results[0])).find("Ciao mondo"),
        std::string::npos);
  }

  std::string host_;
  std::string converters_;
  bool realConverters_ = false;
  TempFolder programFolder_;
  TempFolder documents_;
  TempFolder current_;
};

TEST_F(WineDrop, DraggedPdfBecomesTextInTheOutputFolder) {
  const fs::path pdf = Document("relazione annuale.pdf");
  const DragOutcome outcome = DragOnto("tessik", pdf);
  EXPECT_EQ(outcome.dropAction, 1) << "the drag source saw its copy accepted";
  EXPECT_EQ(outcome.hostStatus, 0);
  ASSERT_EQ(outcome.boxes.size(), 3u);
  EXPECT_EQ(outcome.boxes[0],
            std::make_pair(std::string(";-)"),
                           "Eseguire la conversione in formato TESTO ?\\r\\n\\r\\n"
                           "(file : " +
                               WinePath(pdf) + " )"));
  EXPECT_EQ(outcome.boxes[1].second, "Conversione completa");
  EXPECT_EQ(outcome.opened, std::vector<std::string>{WinePath(programFolder_.path() / "output")});
  ExpectTextResult();
  EXPECT_EQ(NamesIn(programFolder_.path()), std::vector<std::string>{"output"});
  EXPECT_TRUE(fs::exists(pdf)) << "the dragged file stays";
}

// Several files dragged at once are one batch: one question, one report, every PDF converted and
// the item that is not a PDF named; a dragged folder is a batch of the PDFs inside it.
TEST_F(WineDrop, SeveralFilesOrAFolderAreOneBatch) {
  const fs::path note = documents_.path() / "appunti.txt";
  WriteFile(note, "testo");
  const DragOutcome several =
      DragOnto("tessik", {Document("primo.pdf"), Document("secondo.pdf"), note});
  EXPECT_EQ(several.dropAction, 1);
  ASSERT_EQ(several.boxes.size(), 2u);
  EXPECT_EQ(several.boxes[0].second,
            "Eseguire la conversione in formato TESTO ?\\r\\n\\r\\n2 file PDF: primo.pdf e "
            "secondo.pdf");
  EXPECT_EQ(several.boxes[1].second,
            "Conversione completa\\r\\n\\r\\nConvertiti 2 PDF su 2.\\r\\n- appunti.txt: non è un "
            "file PDF");
  EXPECT_EQ(NamesIn(programFolder_.path() / "output").size(), 2u);

  const fs::path folder = documents_.path() / "cartella";
  fs::create_directories(folder);
  for (const char* name : {"uno.pdf", "due.pdf"}) WritePdf(folder / name, {PdfPage{{"Ciao"}}});
  const DragOutcome dragged = DragOnto("orvane", folder);
  EXPECT_EQ(dragged.dropAction, 1);
  ASSERT_EQ(dragged.boxes.size(), 2u);
  EXPECT_EQ(dragged.boxes[0].second,
            "Eseguire la conversione in formato HTML ?\\r\\n\\r\\n2 file PDF: due.pdf e uno.pdf");
  EXPECT_EQ(dragged.boxes[1].second, "Conversione completa\\r\\n\\r\\nConvertiti 2 PDF su 2.");
  EXPECT_TRUE(fs::exists(programFolder_.path() / "output" / "uno.html"));
  EXPECT_TRUE(fs::exists(programFolder_.path() / "output" / "due.html"));
}

TEST_F(WineDrop, HostileNameRunsNothingElse) {
  const DragOutcome outcome = DragOnto("orvane", Document("a&mkdir pwned-ampersand&.pdf"));
  EXPECT_EQ(outcome.dropAction, 1);
  ASSERT_EQ(outcome.boxes.size(), 3u);
  EXPECT_EQ(outcome.boxes[1].second, "Conversione completa");
  EXPECT_EQ(NamesIn(current_.path()), std::vector<std::string>{}) << "something ran";
  bool index = false;
  for (const std::string& name : NamesIn(programFolder_.path() / "output")) {
    index = index || name.ends_with(".html");
  }
  EXPECT_TRUE(index) << "no HTML result";
  EXPECT_EQ(NamesIn(programFolder_.path()), std::vector<std::string>{"output"});
}

TEST_F(WineDrop, NameOutsideTheAnsiCodePageSurvivesTheDropAndTheCopy) {
  const std::string name = "отчёт 报告 Ελληνικά.pdf";
  const DragOutcome outcome = DragOnto("tessik", Document(name));
  EXPECT_EQ(outcome.dropAction, 1);
  ASSERT_EQ(outcome.boxes.size(), 3u);
  EXPECT_NE(outcome.boxes[0].second.find(name), std::string::npos) << outcome.boxes[0].second;
  EXPECT_EQ(outcome.boxes[1].second, "Conversione completa");
  ExpectTextResult();
}

// pdftohtml -c of a two-page document with a picture on each page: the frame set, its index, a
// page each with the text, and each page's background image, all moved into the output folder.
TEST_F(WineDrop, DraggedPdfBecomesHtmlPagesWithTheirBackgroundImages) {
  if (SkipWithoutRealConverters("pdftohtml")) {
    GTEST_SKIP() << "WINE-DRAG SKIPPED: the stand-in converters write placeholder pages";
  }
  const fs::path pdf = documents_.path() / "catalogo.pdf";
  WritePdf(pdf, {PdfPage{{"Prima pagina del catalogo"}, true},
                 PdfPage{{"Seconda pagina, città"}, true}});
  const DragOutcome outcome = DragOnto("orvane", pdf);
  EXPECT_EQ(outcome.dropAction, 1);
  ASSERT_EQ(outcome.boxes.size(), 3u);
  EXPECT_EQ(outcome.boxes[1].second, "Conversione completa");
  const fs::path output = programFolder_.path() / "output";
  EXPECT_EQ(NamesIn(output),
            (std::vector<std::string>{"catalogo-1.html", "catalogo-2.html", "catalogo.html",
                                      "catalogo001.png", "catalogo002.png", "catalogo_ind.html"}));
  EXPECT_NE(ReadFile(output / "catalogo-1.html").find("Prima"), std::string::npos);
  EXPECT_NE(ReadFile(output / "catalogo-2.html").find("catalogo002.png"), std::string::npos);
  for (const char* image : {"catalogo001.png", "catalogo002.png"}) {
    const std::string png = ReadFile(output / image);
    EXPECT_TRUE(png.starts_with("\x89PNG")) << image;
    EXPECT_GT(png.size(), 1000u) << image << " is no rendered page";
  }
  EXPECT_EQ(NamesIn(programFolder_.path()), std::vector<std::string>{"output"});
}

// The text Tessik's converter makes under Wine is the text the Linux pdftotext makes of the
// same PDF, line ends aside.
TEST_F(WineDrop, TextEqualsTheLinuxConvertersText) {
  if (SkipWithoutRealConverters("pdftotext")) {
    GTEST_SKIP() << "WINE-DRAG SKIPPED: no real converters to compare";
  }
  const fs::path pdf = documents_.path() / "testo.pdf";
  WritePdf(pdf, NumberedPages(3, 12, ": qualità, città, perché è così. 10 €"));
  const DragOutcome outcome = DragOnto("tessik", pdf);
  ASSERT_EQ(outcome.boxes.size(), 3u);
  EXPECT_EQ(outcome.boxes[1].second, "Conversione completa");
  const fs::path linuxText = current_.path() / "linux.txt";
  ASSERT_EQ(
      QProcess::execute(QStringLiteral("pdftotext"), {Q(pdf.string()), Q(linuxText.string())}), 0);
  const auto withoutCarriageReturns = [](std::string text) {
    std::erase(text, '\r');
    return text;
  };
  const std::string expected = ReadFile(linuxText);
  EXPECT_NE(expected.find("qualità, città"), std::string::npos);
  EXPECT_EQ(withoutCarriageReturns(ReadFile(programFolder_.path() / "output" / "testo.txt")),
            expected);
}

}  // namespace
}  // namespace droplet::testing

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
