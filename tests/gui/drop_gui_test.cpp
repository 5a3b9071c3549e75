// Real drags from another process onto the main window, ending in the real converters.

#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QTest>

#include <atomic>
#include <thread>

#include "gui_fixture.h"
#include "shell/box_position.h"
#include "support/pdf_writer.h"
#include "support/test_environment.h"
#include "support/workflow_rig.h"
#include "x11_support.h"

namespace droplet::testing {
namespace {

namespace fs = std::filesystem;

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

  // A folder without a PDF.
  fs::create_directories(sources_.path() / "cartella.pdf");
  DragOnto(target, {Q(sources_ / "cartella.pdf")});
  EXPECT_EQ(answerer_->texts(), QStringList{"La cartella non contiene file PDF da convertire."});
  EXPECT_EQ(answerer_->boxes()[0].title, QStringLiteral("Ops :-( "));
  EXPECT_TRUE(NamesIn(folder_.path()).empty());

  // Not a PDF.
  answerer_->Clear();
  const std::string text = sources_ / "note.txt";
  WriteFile(PathFromUtf8(text), "testo");
  DragOnto(target, {Q(text)});
  EXPECT_EQ(answerer_->texts(), QStringList{"Non è un file PDF"});
  EXPECT_TRUE(NamesIn(folder_.path()).empty());

  // Several files: one batch, one question, one report.
  answerer_->Clear();
  const std::string first = Source("primo.pdf", "Primo");
  const std::string second = Source("secondo.pdf", "Secondo");
  answerer_->Answer(QMessageBox::Yes);
  answerer_->Answer(QMessageBox::Ok);
  DragOnto(target, {Q(first), Q(second)});
  ASSERT_EQ(answerer_->boxes().size(), 2u) << answerer_->texts().join("|").toStdString();
  EXPECT_TRUE(
      answerer_->boxes()[0].text.contains(QStringLiteral("2 file PDF: primo.pdf e secondo.pdf")));
  EXPECT_EQ(answerer_->boxes()[1].text,
            QStringLiteral("Conversione completa\n\nConvertiti 2 PDF su 2."));
  EXPECT_EQ(NamesIn(folder_.path() / "output"),
            (std::vector<std::string>{"primo.txt", "secondo.txt"}));
  fs::remove(folder_.path() / "output" / "primo.txt");
  fs::remove(folder_.path() / "output" / "secondo.txt");

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

// Delivers the window's drop events itself, so that it knows whether one is being handled.
class DropWatch : public QObject {
 public:
  explicit DropWatch(QWidget& target) : target_(target) { target_.installEventFilter(this); }
  bool inDrop = false;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched != &target_ || event->type() != QEvent::Drop) return false;
    target_.removeEventFilter(this);
    inDrop = true;
    QCoreApplication::sendEvent(&target_, event);
    inDrop = false;
    target_.installEventFilter(this);
    return true;
  }

 private:
  QWidget& target_;
};

TEST_F(DropTest, TheDragIsReleasedBeforeTheConfirmationShows) {
  Form1& form = ShowForm(TessikDeliverable());
  DropWatch watch(form);
  std::vector<bool> boxDuringDrop;
  answerer_->OnBox([&](QMessageBox&, SeenBox&) { boxDuringDrop.push_back(watch.inDrop); });
  AnswerAConversion();
  EXPECT_EQ(DragOnto(OpaquePoint(), {Q(Source("rilascio.pdf"))}), static_cast<int>(Qt::CopyAction));
  EXPECT_EQ(boxDuringDrop, (std::vector<bool>{false, false, false}));
  EXPECT_TRUE(fs::exists(folder_.path() / "output" / "rilascio.txt"));
}

// While the converter works the window is served as ever: it answers the window manager's
// ping, repaints its progress, moves with the mouse and opens its menu, whose
// "Interrompi conversione" stops the run.
TEST_F(DropTest, TheWindowLivesWhileTheConverterWorksAndStopsOnRequest) {
  TempFolder bin;
  WriteScript(bin.path() / "pdftohtml",
              "for f; do :; done\nstem=\"${f%.pdf}\"\ni=1\n"
              "while [ $i -le 300 ]; do\n"
              "  printf 'Page-%s\\n' $i; printf x > \"$stem-$i.html\"; sleep 0.1; i=$((i+1))\n"
              "done\n");
  SearchPathScope first(SearchPathWith(bin.str()));
  Form1& form = ShowForm(OrvaneDeliverable());
  const QPoint grip = OpaquePoint();
  answerer_->Answer(QMessageBox::Yes);
  const std::string pdf = sources_ / "lungo.pdf";
  WritePdf(PathFromUtf8(pdf), NumberedPages(300));
  EXPECT_EQ(DragOnto(grip, {Q(pdf)}, false), static_cast<int>(Qt::CopyAction));
  ASSERT_TRUE(QTest::qWaitFor([&] { return form.workflow().Progress().pagesDone >= 3; }, 20000));

  // The hourglass shows over the droplet alone.
  EXPECT_EQ(form.cursor().shape(), Qt::WaitCursor);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);

  std::atomic<int> ping{-2};
  std::thread pinger([&] { ping = x11::PingMilliseconds(form.winId(), 3000); });
  EXPECT_TRUE(QTest::qWaitFor([&] { return ping != -2; }, 5000));
  pinger.join();
  EXPECT_GE(ping, 0) << "the window did not answer the ping";

  const QRect bar = form.progressBarRect();
  ASSERT_FALSE(bar.isEmpty());
  const QImage shown = GrabForm().copy(bar);
  EXPECT_NE(shown, form.picture().copy(bar).convertToFormat(QImage::Format_RGB32))
      << "no progress on the picture";
  QTest::qWait(700);
  EXPECT_NE(GrabForm().copy(bar), shown) << "the progress did not move on";

  const QPoint before = form.pos();
  Xdotool({"mousemove", QString::number(grip.x()), QString::number(grip.y()), "mousedown", "1",
           "mousemove", QString::number(grip.x() + 20), QString::number(grip.y() + 10), "mousemove",
           QString::number(grip.x() + 40), QString::number(grip.y() + 30), "mouseup", "1"});
  EXPECT_TRUE(QTest::qWaitFor([&] { return form.pos() == before + QPoint(40, 30); }, 5000))
      << form.pos().x() << "," << form.pos().y();

  ChooseMenuEntry("mnuInterrompi", form.mapFromGlobal(OpaquePoint()));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !form.workflow().Busy(); }, 20000));
  EXPECT_EQ(answerer_->texts(),
            (QStringList{Q("Eseguire la conversione in formato HTML ?\n\n(file : " + pdf + " )"),
                         "Conversione interrotta"}));
  EXPECT_EQ(form.cursor().shape(), Qt::ArrowCursor);
  EXPECT_FALSE(form.workflow().Progress().running);
  for (const std::string& name : NamesIn(folder_.path())) {
    EXPECT_FALSE(name.starts_with("lungo")) << name << " was left behind";
  }
  EXPECT_EQ(CountChildren(), 0);
}

}  // namespace
}  // namespace droplet::testing
