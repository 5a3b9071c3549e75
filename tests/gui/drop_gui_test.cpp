// Real drags from another process onto the main window, ending in the real converters.

#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QTest>

#include "gui_fixture.h"
#include "shell/box_position.h"
#include "support/pdf_writer.h"

namespace droplet::testing {
namespace {

namespace fs = std::filesystem;

QString Q(const std::string& text) {
  return QString::fromUtf8(text.c_str());
}

ScreenRect ToRect(const QRect& r) {
  return ScreenRect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

class DropTest : public GuiTest {
 protected:
  std::string Source(const std::string& name, const std::string& text = "Ciao mondo") {
    const std::string path = sources_ / name;
    WritePdf(PathFromUtf8(path), {PdfPage{{text}}});
    return path;
  }
  // Yes to the confirmation, OK to "Conversione completa", No to opening the result.
  void AnswerAConversion() {
    answerer_->Answer(QMessageBox::Yes);
    answerer_->Answer(QMessageBox::Ok);
    answerer_->Answer(QMessageBox::No);
  }
};

TEST_F(DropTest, DroppedPdfBecomesTextInTheOutputFolder) {
  ShowForm(TessikDeliverable());
  const std::string pdf = Source("relazione annuale.pdf", "Ciao mondo");
  AnswerAConversion();
  EXPECT_EQ(DragOnto(OpaquePoint(), {Q(pdf)}), static_cast<int>(Qt::CopyAction));
  ASSERT_EQ(answerer_->boxes().size(), 3u) << answerer_->texts().join("|").toStdString();
  EXPECT_EQ(answerer_->boxes()[0].text,
            Q("Eseguire la conversione in formato TESTO ?\n\n(file : " + pdf + " )"));
  EXPECT_EQ(answerer_->boxes()[0].title, QStringLiteral(";-)"));
  EXPECT_EQ(answerer_->boxes()[1].text, QStringLiteral("Conversione completa"));
  EXPECT_EQ(answerer_->boxes()[2].text, QStringLiteral("Aprire il file per la visualizzazione ?"));
  const fs::path result = folder_.path() / "output" / "relazione annuale.txt";
  ASSERT_TRUE(fs::exists(result));
  EXPECT_NE(ReadFile(result).find("Ciao mondo"), std::string::npos);
  // The scratch area is clean again, the dropped original untouched.
  EXPECT_EQ(NamesIn(folder_.path()), std::vector<std::string>{"output"});
  EXPECT_TRUE(fs::exists(PathFromUtf8(pdf)));
  EXPECT_EQ(Opened(), std::vector<std::string>{folder_ / "output"});
}

TEST_F(DropTest, DroppedPdfBecomesHtmlPagesInTheOutputFolder) {
  ShowForm(OrvaneDeliverable());
  const std::string pdf = Source("report.PDF", "Pagina uno");
  AnswerAConversion();
  answerer_->Answer(QMessageBox::Yes);
  EXPECT_EQ(DragOnto(OpaquePoint(), {Q(pdf)}), static_cast<int>(Qt::CopyAction));
  ASSERT_EQ(answerer_->boxes().size(), 3u) << answerer_->texts().join("|").toStdString();
  const fs::path index = folder_.path() / "output" / "report.html";
  ASSERT_TRUE(fs::exists(index));
  EXPECT_EQ(NamesIn(folder_.path()), std::vector<std::string>{"output"});
}

// No to the confirmation: the cancellation box appears over the window, although the
// confirmation has just closed and none of our windows is active yet.
TEST_F(DropTest, CancellationBoxIsCentredOnTheWindow) {
  Form1& form = ShowForm(TessikDeliverable());
  const std::string pdf = Source("annullato.pdf");
  QPoint placed;
  QPoint expected;
  bool ownerActive = true;
  answerer_->OnBox([&](QMessageBox& box, SeenBox&) {
    if (box.standardButtons() != QMessageBox::Ok) return;
    ownerActive = QApplication::activeWindow() == &form;
    const ScreenRect work = ToRect(form.screen()->availableGeometry());
    const ScreenPoint point =
        ComputeBoxPosition(ToRect(box.frameGeometry()), ToRect(form.frameGeometry()), work,
                           PlacementMode::kCenterOnOwner);
    expected = QPoint(point.x, point.y);
    placed = box.frameGeometry().topLeft();
  });
  EXPECT_EQ(DragOnto(OpaquePoint(), {Q(pdf)}), static_cast<int>(Qt::CopyAction));
  ASSERT_EQ(answerer_->boxes().size(), 2u) << answerer_->texts().join("|").toStdString();
  EXPECT_EQ(answerer_->boxes()[1].text, Q(TessikDeliverable().cancellationMessage));
  EXPECT_FALSE(ownerActive);
  EXPECT_EQ(placed, expected) << "at " << placed.x() << "," << placed.y() << " instead of "
                              << expected.x() << "," << expected.y();
  EXPECT_FALSE(std::filesystem::exists(folder_.path() / "output" / "annullato.txt"));
}

TEST_F(DropTest, DropOnACutAwayPixelOrOfTextDoesNothing) {
  Form1& form = ShowForm(TessikDeliverable());
  const std::string pdf = Source("nota.pdf");
  // The way there crosses the picture; the drop itself lands on what lies behind.
  EXPECT_EQ(DragOnto(CutAwayPoint(), {Q(pdf)}), static_cast<int>(Qt::IgnoreAction));

  EXPECT_EQ(DragOnto(OpaquePoint(), {QStringLiteral("--text"), Q(pdf)}),
            static_cast<int>(Qt::IgnoreAction));
  EXPECT_EQ(form.workflow().DropKind(), "cartella");  // classified, then refused
  EXPECT_TRUE(answerer_->boxes().empty());
  EXPECT_TRUE(NamesIn(folder_.path()).empty());
}

TEST_F(DropTest, BadInputGetsItsMessageAndNothingElse) {
  ShowForm(TessikDeliverable());
  const QPoint target = OpaquePoint();
  const QString previous = QDir::currentPath();
  QDir::setCurrent(Q(sources_.str()));  // where a command slipped into a name would act

  // A folder.
  fs::create_directories(sources_.path() / "cartella.pdf");
  DragOnto(target, {Q(sources_ / "cartella.pdf")});
  EXPECT_EQ(answerer_->texts(), QStringList{"..Ops... Prossima .. l'implementazione ;-) "});
  EXPECT_EQ(answerer_->boxes()[0].title, QStringLiteral("Ops :-( "));
  EXPECT_TRUE(NamesIn(folder_.path()).empty());

  // Not a PDF.
  answerer_->Clear();
  const std::string text = sources_ / "note.txt";
  WriteFile(PathFromUtf8(text), "testo");
  DragOnto(target, {Q(text)});
  EXPECT_EQ(answerer_->texts(), QStringList{"Non è un file PDF"});
  EXPECT_TRUE(NamesIn(folder_.path()).empty());

  // Several files: the first one only.
  answerer_->Clear();
  const std::string first = Source("primo.pdf", "Primo");
  const std::string second = Source("secondo.pdf", "Secondo");
  AnswerAConversion();
  DragOnto(target, {Q(first), Q(second)});
  ASSERT_EQ(answerer_->boxes().size(), 3u) << answerer_->texts().join("|").toStdString();
  EXPECT_TRUE(answerer_->boxes()[0].text.contains(Q(first)));
  EXPECT_FALSE(answerer_->boxes()[0].text.contains(Q(second)));
  EXPECT_EQ(NamesIn(folder_.path() / "output"), std::vector<std::string>{"primo.txt"});

  // Names that would be commands to a careless shell.
  for (const std::string name : {"a;touch x.pdf", "$(touch y).pdf"}) {
    SCOPED_TRACE(name);
    answerer_->Clear();
    const std::string hostile = Source(name, "Innocuo");
    AnswerAConversion();
    DragOnto(target, {Q(hostile)});
    ASSERT_EQ(answerer_->boxes().size(), 3u) << answerer_->texts().join("|").toStdString();
    EXPECT_EQ(answerer_->boxes()[1].text, QStringLiteral("Conversione completa"));
    const std::string result = name.substr(0, name.size() - 4) + ".txt";
    EXPECT_TRUE(fs::exists(folder_.path() / "output" / PathFromUtf8(result)));
  }
  for (const fs::path& folder : {sources_.path(), folder_.path()}) {
    EXPECT_FALSE(fs::exists(folder / "x.pdf"));
    EXPECT_FALSE(fs::exists(folder / "y"));
  }
  EXPECT_EQ(NamesIn(folder_.path()), std::vector<std::string>{"output"});
  QDir::setCurrent(previous);
}

}  // namespace
}  // namespace droplet::testing
