// The main window on a real X display: its shape, its layer, its menu and how it ends.

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QScreen>
#include <QTest>
#include <algorithm>

#include "gui_fixture.h"
#include "settings/options_dialog_qt.h"
#include "support/pdf_writer.h"
#include "x11_support.h"

namespace droplet::testing {
namespace {

QString Lines(const std::string& text) {
  return QString::fromUtf8(text.c_str()).replace(QLatin1Char('\r'), QLatin1Char('\n'));
}

// A plain window in one loud colour.
class Loud : public QWidget {
 public:
  Loud(QColor colour, QRect geometry) {
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setAutoFillBackground(true);
    QPalette palette;
    palette.setColor(QPalette::Window, colour);
    setPalette(palette);
    setGeometry(geometry);
  }
};

TEST_F(GuiTest, WindowIsCutToThePictureAndShowsWhatLiesBehindElsewhere) {
  const QColor loud(255, 0, 255);
  Loud behind(loud, QRect(380, 260, 330, 200));
  behind.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&behind));
  for (const Deliverable* deliverable : {&OrvaneDeliverable(), &TessikDeliverable()}) {
    SCOPED_TRACE(deliverable->shortName);
    Form1& form = ShowForm(*deliverable);
    const QImage picture = form.picture().convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(form.size(), picture.size());
    const QRgb key = picture.pixel(0, picture.height() - 1);
    const QImage screen = GrabForm();
    ASSERT_EQ(screen.size(), picture.size());
    QRect labels;  // Tessik's "?" is drawn over the picture
    if (auto* label4 = form.findChild<QLabel*>(QStringLiteral("Label4"))) {
      labels = label4->geometry();
    }
    int wrong = 0;
    int cutAway = 0;
    for (int y = 0; y < picture.height(); ++y) {
      for (int x = 0; x < picture.width(); ++x) {
        if (labels.contains(x, y)) continue;
        const QRgb expected = picture.pixel(x, y) == key ? loud.rgb() : picture.pixel(x, y);
        if (picture.pixel(x, y) == key) ++cutAway;
        if (screen.pixel(x, y) != expected) ++wrong;
      }
    }
    EXPECT_GT(cutAway, 0);
    EXPECT_EQ(wrong, 0) << "pixels that differ from picture-or-background";
    // The cut-away corner pixel is the window behind.
    EXPECT_EQ(screen.pixel(picture.width() - 1, 0), loud.rgb());
  }
}

TEST_F(GuiTest, MenuOffersItsEntriesInOrderAtThePointer) {
  Form1& form = ShowForm(TessikDeliverable());
  EXPECT_EQ(form.mnu1().title(), QStringLiteral("mnu"));
  QStringList captions;
  for (QAction* action : form.mnu1().actions()) {
    captions << (action->isSeparator() ? QStringLiteral("-") : action->text());
  }
  EXPECT_EQ(captions,
            (QStringList{"Opzioni", "Info", "-", "Apri Cartella di output", "Svuota cache",
                         "Converti un PDF...", "Interrompi conversione", "Esci"}));
  const QPoint at(70, 30);
  const QPoint shownAt = ChooseMenuEntry("no such entry", at);
  const QPoint pointer = form.mapToGlobal(at);
  EXPECT_LE((shownAt - pointer).manhattanLength(), 4) << shownAt.x() << "," << shownAt.y();
  EXPECT_TRUE(answerer_->boxes().empty());
}

// The whole job from the keyboard: Shift+F10 or the context-menu key opens the menu (once),
// "Converti un PDF..." the file dialog, and the PDF named there is converted as if dropped.
TEST_F(GuiTest, TheKeyboardAloneConvertsAPdf) {
  Form1& form = ShowForm(TessikDeliverable());
  const std::string pdf = sources_ / "da tastiera.pdf";
  WritePdf(PathFromUtf8(pdf), {PdfPage{{"Scelto dalla tastiera"}}});
  form.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
  int shows = 0;
  QObject::connect(&form.mnu1(), &QMenu::aboutToShow, [&] { ++shows; });

  // Each key opens the menu over the picture; Escape closes it again.
  QTimer closer;
  QObject::connect(&closer, &QTimer::timeout, [&] {
    if (QApplication::activePopupWidget() != &form.mnu1()) return;
    EXPECT_TRUE(form.geometry().contains(form.mnu1().pos()));
    QTest::keyClick(&form.mnu1(), Qt::Key_Escape);
  });
  closer.start(50);
  for (const char* keys : {"shift+F10", "Menu"}) {
    SCOPED_TRACE(keys);
    shows = 0;
    Xdotool({QStringLiteral("key"), QString::fromLatin1(keys)});
    QTest::qWait(500);
    EXPECT_EQ(shows, 1);
  }
  closer.stop();

  // The keys reach the menu and the dialog from the event loop: the entry they choose opens the
  // dialog, whose own loop must run the chooser again.
  QString dialogTitle;
  QStringList dialogFilters;
  QTimer chooser;
  const auto press = [](QWidget* widget, Qt::Key key) {
    QTimer::singleShot(0, widget, [widget, key] { QTest::keyClick(widget, key); });
  };
  QObject::connect(&chooser, &QTimer::timeout, [&] {
    if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
      QAction* convert = form.findChild<QAction*>(QStringLiteral("mnuConverti"));
      press(menu, menu->activeAction() == convert ? Qt::Key_Return : Qt::Key_Down);
    } else if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
      // The file name is typed once the dialog has settled (it clears the box as it loads).
      auto* name = qobject_cast<QLineEdit*>(dialog->focusWidget());
      if (!dialog->isActiveWindow() || name == nullptr) return;
      dialogTitle = dialog->windowTitle();
      dialogFilters = dialog->nameFilters();
      if (name->text() != Q(pdf)) {
        name->clear();
        QTest::keyClicks(name, Q(pdf));
      } else {
        chooser.stop();
        press(name, Qt::Key_Return);
      }
    }
  });
  chooser.start(50);
  answerer_->Answer(QMessageBox::Yes);
  Xdotool({QStringLiteral("key"), QStringLiteral("Menu")});
  ASSERT_TRUE(QTest::qWaitFor([&] { return answerer_->boxes().size() >= 3; }, 60000));
  EXPECT_TRUE(QTest::qWaitFor([&] { return !form.workflow().Busy(); }, 20000));
  EXPECT_EQ(dialogTitle, QStringLiteral("Converti un PDF"));
  EXPECT_EQ(dialogFilters, QStringList{QStringLiteral("Documenti PDF (*.pdf)")});
  EXPECT_EQ(
      answerer_->texts().at(0),
      QStringLiteral("Eseguire la conversione in formato TESTO ?\n\n(file : %1 )").arg(Q(pdf)));
  EXPECT_EQ(answerer_->texts().at(1), QStringLiteral("Conversione completa"));
  EXPECT_NE(ReadFile(folder_.path() / "output" / "da tastiera.txt").find("Scelto dalla tastiera"),
            std::string::npos);
}

// What a screen reader says of the droplet and of its options dialog, from the deliverable; during
// a run the progress takes the description's place.
TEST_F(GuiTest, AssistiveTechnologiesReadTheWindowAndItsDialog) {
  Form1& form = ShowForm(OrvaneDeliverable());
  QAccessibleInterface* window = QAccessible::queryAccessibleInterface(&form);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->text(QAccessible::Name),
            QStringLiteral("Orvane: trascina qui un PDF da convertire in HTML"));
  EXPECT_EQ(window->text(QAccessible::Description),
            Q(OrvaneDeliverable().window.accessibleDescription));
  EXPECT_EQ(form.focusPolicy(), Qt::StrongFocus);

  ChooseMenuEntry("mnuOpzioni");
  QDialog* dialog = CurrentOptionsDialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(QAccessible::queryAccessibleInterface(dialog)->text(QAccessible::Name),
            QStringLiteral("Opzioni di Orvane"));
  auto* start = dialog->findChild<QWidget*>(QStringLiteral("txtPagStart"));
  ASSERT_NE(start, nullptr);
  EXPECT_EQ(QAccessible::queryAccessibleInterface(start)->text(QAccessible::Name),
            QStringLiteral("Converti dalla pagina"));
  dialog->close();
}

TEST_F(GuiTest, InfoShowsEachProgramsAboutText) {
  for (const Deliverable* deliverable : {&TessikDeliverable(), &OrvaneDeliverable()}) {
    SCOPED_TRACE(deliverable->shortName);
    answerer_->Clear();
    ShowForm(*deliverable);
    ChooseMenuEntry("mnuInfo");
    ASSERT_EQ(answerer_->boxes().size(), 1u);
    const SeenBox& box = answerer_->boxes()[0];
    EXPECT_EQ(box.title, QString::fromStdString(deliverable->shortName));
    EXPECT_EQ(box.text, Lines(deliverable->aboutText));
    EXPECT_EQ(box.icon, QMessageBox::Information);
    EXPECT_EQ(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
  }
}

TEST_F(GuiTest, SvuotaCacheEmptiesTheOutputFolderAndKeepsIt) {
  Form1& form = ShowForm(OrvaneDeliverable());
  const auto output = folder_.path() / "output";
  std::filesystem::create_directories(output / "pagine");
  WriteFile(output / "vecchio.html", "<p>");
  WriteFile(output / "pagine" / "p1.png", "png");
  ChooseMenuEntry("mnuSvuota");
  ASSERT_TRUE(QTest::qWaitFor([&] { return !form.workflow().Busy(); }, 20000));
  EXPECT_EQ(form.cursor().shape(), Qt::ArrowCursor);
  EXPECT_EQ(answerer_->texts(), QStringList{"Cache svuotata"});
  ASSERT_TRUE(std::filesystem::is_directory(output));
  EXPECT_TRUE(std::filesystem::is_empty(output));
}

TEST_F(GuiTest, OpenOutputFolderBeforeAnyRunReportsTheRefusalOnly) {
  ShowForm(TessikDeliverable());
  ChooseMenuEntry("mnuOpenPath");
  ASSERT_EQ(opened_.size(), 1u);
  EXPECT_EQ(opened_[0].target, folder_ / "output");
  EXPECT_EQ(answerer_->boxes().size(), 1u);
  EXPECT_FALSE(std::filesystem::exists(folder_.path() / "output"));
}

TEST_F(GuiTest, OpzioniShowsTheOneOptionsDialog) {
  ShowForm(TessikDeliverable());
  ChooseMenuEntry("mnuOpzioni");
  QDialog* first = CurrentOptionsDialog();
  ASSERT_NE(first, nullptr);
  EXPECT_TRUE(QTest::qWaitForWindowExposed(first));
  ChooseMenuEntry("mnuOpzioni");
  EXPECT_EQ(CurrentOptionsDialog(), first);
  EXPECT_TRUE(first->isVisible());
  EXPECT_TRUE(form_->isVisible());
  first->close();
}

TEST_F(GuiTest, EsciAndTheCloseCommandAskAndNoKeepsTheWindow) {
  Form1& form = ShowForm(TessikDeliverable());
  ChooseMenuEntry("mnuExit");
  ASSERT_EQ(answerer_->boxes().size(), 1u);
  const SeenBox& box = answerer_->boxes()[0];
  EXPECT_EQ(box.title, QStringLiteral("Tessik Version: (BETA) 0.0.9"));
  EXPECT_EQ(box.text, Lines(QuitQuestion(TessikDeliverable())));
  EXPECT_EQ(box.buttons, QMessageBox::Yes | QMessageBox::No);
  EXPECT_EQ(box.icon, QMessageBox::NoIcon);
  EXPECT_TRUE(form.isVisible());

  // The window system's close request, as a task bar sends it.
  ASSERT_TRUE(x11::RequestClose(form.winId()));
  EXPECT_TRUE(QTest::qWaitFor([&] { return answerer_->boxes().size() == 2; }, 5000));
  QTest::qWait(300);
  EXPECT_EQ(answerer_->boxes().size(), 2u);
  EXPECT_TRUE(form.isVisible());
  EXPECT_EQ(form.workflow().DropKind(), "-");
}

// The window system shows the program's titles as they are: nothing appended to them.
TEST_F(GuiTest, TitlesReachTheDisplayExactly) {
  Form1& form = ShowForm(TessikDeliverable());
  EXPECT_EQ(x11::WindowName(form.winId()), "Tessik - Ver: 0.0");
  std::vector<std::string> shown;
  answerer_->OnBox([&](QMessageBox& box, SeenBox&) {
    std::string name;
    (void)QTest::qWaitFor([&] { return !(name = x11::WindowName(box.winId())).empty(); }, 2000);
    shown.push_back(name);
  });
  ChooseMenuEntry("mnuExit");
  ChooseMenuEntry("mnuInfo");  // no title of its own: the application's
  EXPECT_EQ(shown, (std::vector<std::string>{"Tessik Version: (BETA) 0.0.9", "Tessik"}));
}

TEST_F(GuiTest, TessikCloseSpotAsksOnlyOnADoubleClick) {
  Form1& form = ShowForm(TessikDeliverable());
  auto* label4 = form.findChild<QLabel*>(QStringLiteral("Label4"));
  auto* label1 = form.findChild<QLabel*>(QStringLiteral("Label1"));
  ASSERT_NE(label4, nullptr);
  ASSERT_NE(label1, nullptr);
  EXPECT_EQ(label4->geometry(), QRect(45, 70, 6, 13));
  EXPECT_EQ(label4->text(), QStringLiteral("?"));
  EXPECT_EQ(label4->toolTip(),
            QStringLiteral("per la conversione Trascinare il file PDF all'interno dell'immagine"));
  EXPECT_EQ(label1->geometry(), QRect(67, 71, 11, 11));
  EXPECT_TRUE(label1->text().isEmpty());
  EXPECT_EQ(label1->toolTip(), QStringLiteral("Chiudi il programma (doppio-click)"));

  const QPoint spot = label1->rect().center();
  QTest::mouseClick(label1, Qt::LeftButton, {}, spot);
  QTest::qWait(500);
  EXPECT_TRUE(answerer_->boxes().empty());
  EXPECT_EQ(form.pos(), QPoint(420, 300));  // a press on the spot does not move the window

  QTest::mouseDClick(label1, Qt::LeftButton, {}, spot);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !answerer_->boxes().empty(); }, 3000));
  ASSERT_EQ(answerer_->boxes().size(), 1u);
  EXPECT_EQ(answerer_->boxes()[0].text, Lines(QuitQuestion(TessikDeliverable())));
  EXPECT_TRUE(form.isVisible());

  ShowForm(OrvaneDeliverable());
  EXPECT_EQ(form_->findChild<QLabel*>(QStringLiteral("Label1")), nullptr);
}

// Yes ends the program on the spot: run in a process of its own, which must exit with code 0
// right there, after exactly one box.
TEST_F(GuiTest, YesEndsTheProgramAtOnce) {
  struct Case {
    const char* program;
    const char* how;
    const char* title;
  };
  for (const Case& c :
       {Case{"tessik", "menu", "Tessik Version: (BETA) 0.0.9"},
        Case{"tessik", "spot", "Tessik Version: (BETA) 0.0.9"}, Case{"orvane", "close", ""}}) {
    SCOPED_TRACE(std::string(c.program) + " " + c.how);
    QProcess probe;
    probe.start(QStringLiteral(DROPLET_QUIT_PROBE),
                {QString::fromLatin1(c.program), QString::fromLatin1(c.how),
                 QString::fromStdString(folder_.str())});
    ASSERT_TRUE(probe.waitForFinished(30000));
    const QString output = QString::fromUtf8(probe.readAllStandardOutput());
    EXPECT_EQ(probe.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(probe.exitCode(), 0) << output.toStdString();
    EXPECT_EQ(output.count(QLatin1String("box: ")), 1) << output.toStdString();
    EXPECT_FALSE(output.contains(QLatin1String("survived")));
    // Orvane's window has no caption: its box carries that empty title.
    EXPECT_TRUE(output.startsWith(
        QStringLiteral("box: %1 | Richiesta chiusura di ").arg(QString::fromLatin1(c.title))))
        << output.toStdString();
  }
}

// Every button but the right one moves the window, without a window manager and with one (whose
// own move follows the left button only); the right one opens the menu and moves nothing.
TEST_F(GuiTest, EveryButtonButTheRightMovesTheWindow) {
  for (const bool managed : {false, true}) {
    SCOPED_TRACE(managed ? "openbox" : "no window manager");
    if (managed && !StartWindowManager()) GTEST_SKIP() << "openbox cannot run here";
    Form1& form = ShowForm(OrvaneDeliverable());
    for (const char* button : {"1", "2", "3"}) {
      SCOPED_TRACE(button);
      const QPoint grip = OpaquePoint();
      const QPoint before = form.pos();
      QStringList drag{"mousemove", QString::number(grip.x()), QString::number(grip.y()),
                       "mousedown", button};
      for (const QPoint by : {QPoint(20, 10), QPoint(40, 30)}) {
        drag << "sleep"
             << "0.1"
             << "mousemove" << QString::number(grip.x() + by.x())
             << QString::number(grip.y() + by.y());
      }
      drag << "sleep"
           << "0.1"
           << "mouseup" << button;
      const bool right = button == std::string("3");
      // The menu the right button opens is closed again.
      QTimer closer;
      QObject::connect(&closer, &QTimer::timeout, [] {
        if (QWidget* menu = QApplication::activePopupWidget()) menu->close();
      });
      if (right) closer.start(300);
      Xdotool(drag);
      const QPoint expected = right ? before : before + QPoint(40, 30);
      EXPECT_TRUE(QTest::qWaitFor([&] { return form.pos() == expected; }, 5000))
          << form.pos().x() << "," << form.pos().y();
      if (right) QTest::qWait(500);
      EXPECT_EQ(form.pos(), expected);
    }
  }
}

TEST_F(GuiTest, StaysAboveANormalWindowRaisedLater) {
  if (!StartWindowManager()) GTEST_SKIP() << "openbox cannot run here";
  Form1& form = ShowForm(OrvaneDeliverable());
  const QPoint opaque = OpaquePoint();
  const QRgb pictureColour = form.picture().pixel(form.mapFromGlobal(opaque));
  Loud later(QColor(0, 255, 0), QRect(300, 200, 500, 400));
  later.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&later));
  later.raise();
  later.activateWindow();
  QTest::qWait(800);
  auto pixelAt = [](QPoint p) {
    return QGuiApplication::primaryScreen()
        ->grabWindow(0, p.x(), p.y(), 1, 1)
        .toImage()
        .pixel(0, 0);
  };
  EXPECT_EQ(pixelAt(QPoint(320, 220)), QColor(0, 255, 0).rgb());  // the later window is up
  EXPECT_EQ(pixelAt(opaque) & 0xFFFFFF, pictureColour & 0xFFFFFF);
  EXPECT_EQ(pixelAt(CutAwayPoint()), QColor(0, 255, 0).rgb());
}

TEST_F(GuiTest, MessageBoxShowsAboveTheTopmostWindow) {
  if (!StartWindowManager()) GTEST_SKIP() << "openbox cannot run here";
  Form1& form = ShowForm(TessikDeliverable());
  answerer_->OnBox([&](QMessageBox& box, SeenBox& seen) {
    QTest::qWait(300);  // let the window manager stack it
    const auto order = x11::StackingOrder();
    const auto boxAt = std::find(order.begin(), order.end(), box.winId());
    const auto formAt = std::find(order.begin(), order.end(), form.winId());
    seen.aboveForm = boxAt != order.end() && formAt != order.end() && boxAt > formAt;
  });
  ChooseMenuEntry("mnuInfo");
  ASSERT_EQ(answerer_->boxes().size(), 1u);
  EXPECT_TRUE(answerer_->boxes()[0].aboveForm);
}

}  // namespace
}  // namespace droplet::testing
