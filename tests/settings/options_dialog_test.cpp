// Built twice: once with Orvane's pictures, once with Tessik's (DROPLET_TEST_TESSIK).
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPalette>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <filesystem>

#include "common/platform.h"
#include "front_end/deliverable.h"
#include "settings/ini_settings.h"
#include "settings/options_dialog_qt.h"
#include "support/qt_support.h"
#include "support/scripted_desktop.h"
#include "support/temp_folder.h"

namespace droplet {
namespace {

using testing::Application;
using testing::ScriptedDesktop;
using testing::TempFolder;
using testing::WaitUntilShown;

constexpr bool kTessik = DROPLET_TEST_TESSIK != 0;
const Deliverable& This() {
  return kTessik ? TessikDeliverable() : OrvaneDeliverable();
}

class OptionsDialog : public ::testing::Test {
 protected:
  void SetUp() override { Application(); }
  void TearDown() override {
    if (QDialog* dialog = CurrentOptionsDialog()) dialog->close();
    Flush();
  }
  static void Flush() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
  }

  QDialog* Open() {
    ShowOptionsDialog(This().optionsForm, settings_, desktop_);
    return CurrentOptionsDialog();
  }
  template <typename T>
  T* Find(const char* name) {
    QDialog* dialog = CurrentOptionsDialog();
    return dialog == nullptr ? nullptr : dialog->findChild<T*>(QString::fromLatin1(name));
  }
  QCheckBox* Box(const char* name) { return Find<QCheckBox>(name); }
  QLineEdit* Page(const char* name) { return Find<QLineEdit>(name); }
  void Click(const char* button) {
    QPushButton* b = Find<QPushButton>(button);
    ASSERT_NE(b, nullptr) << button;
    b->click();
    Flush();
  }
  Qt::CheckState State(const char* name) { return Box(name)->checkState(); }
  std::string Stored(const char* section, const char* key) {
    return ReadIniValue(settings_.path, section, key);
  }
  void Store(const char* section, const char* key, const std::string& value) {
    WriteIniValue(settings_.path, section, key, value);
  }
  bool SettingsFileExists() {
    return std::filesystem::exists(testing::PathFromUtf8(settings_.path));
  }

  TempFolder folder_;
  const SettingsFile settings_ = SettingsFileIn(folder_.str(), This());
  ScriptedDesktop desktop_;
};

TEST_F(OptionsDialog, FirstOpeningShowsInitialStatesAndCancelWritesNothing) {
  QDialog* dialog = Open();
  ASSERT_NE(dialog, nullptr);
  // The keyboard starts at the first control of the tab order.
  ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
  EXPECT_EQ(QApplication::focusWidget(), Box("ckFolder"));
  EXPECT_EQ(State("ckFolder"), Qt::Checked);
  EXPECT_EQ(State("ckRun"), Qt::Unchecked);
  EXPECT_EQ(State("ckRangePag"), Qt::Unchecked);
  EXPECT_EQ(State("Check1"), Qt::Unchecked);
  EXPECT_EQ(Page("txtPagStart")->text(), QStringLiteral("1"));
  EXPECT_EQ(Page("txtPagEnd")->text(), QStringLiteral("1"));
  Click("Command2");
  EXPECT_EQ(CurrentOptionsDialog(), nullptr);
  EXPECT_FALSE(SettingsFileExists());
  EXPECT_TRUE(desktop_.boxes().empty());
}

TEST_F(OptionsDialog, SaveWritesEveryValueAndTheyComeBack) {
  QPointer<QDialog> dialog = Open();
  Box("ckRun")->click();
  Box("Check1")->click();
  Page("txtPagStart")->setText(QStringLiteral("abc"));
  Page("txtPagEnd")->setText(QString());
  Click("Command1");
  EXPECT_TRUE(dialog.isNull());  // unloaded, not only hidden
  EXPECT_EQ(Stored("Folders", "open"), "1");
  EXPECT_EQ(Stored("Folders", "run"), "1");
  EXPECT_EQ(Stored("Range", "Active"), "0");
  EXPECT_EQ(Stored("Range", "Start"), "abc");
  EXPECT_EQ(Stored("Range", "End"), "");
  // Tessik's Check1 is inactive: a click leaves it clear.
  EXPECT_EQ(Stored("Images", "Ignore"), kTessik ? "0" : "1");

  Open();
  EXPECT_EQ(State("ckFolder"), Qt::Checked);
  EXPECT_EQ(State("ckRun"), Qt::Checked);
  EXPECT_EQ(State("Check1"), kTessik ? Qt::Unchecked : Qt::Checked);
  EXPECT_EQ(Page("txtPagStart")->text(), QStringLiteral("abc"));
  EXPECT_EQ(Page("txtPagEnd")->text(), QString());
}

TEST_F(OptionsDialog, GreyedValuesSurviveASaveAndAClickOnlyTicksOrClears) {
  Store("Folders", "open", "2");
  Store("Folders", "run", "2");
  Store("Range", "Active", "2");
  Open();
  EXPECT_EQ(State("ckFolder"), Qt::PartiallyChecked);
  EXPECT_EQ(State("ckRun"), Qt::PartiallyChecked);
  EXPECT_EQ(State("ckRangePag"), Qt::PartiallyChecked);
  Box("ckRun")->click();  // greyed -> ticked
  EXPECT_EQ(State("ckRun"), Qt::Checked);
  Box("ckRun")->click();
  EXPECT_EQ(State("ckRun"), Qt::Unchecked);
  Box("ckRun")->click();
  EXPECT_EQ(State("ckRun"), Qt::Checked);
  Click("Command1");
  EXPECT_EQ(Stored("Folders", "open"), "2");
  EXPECT_EQ(Stored("Folders", "run"), "1");
  EXPECT_EQ(Stored("Range", "Active"), "2");
}

// What the run will make of the shown values is on the controls before the next run, and
// follows every change; "Salva" still writes the texts as typed.
TEST_F(OptionsDialog, GreyedBoxesAndPageBoxesTheRunWillNotFollowAreMarked) {
  Store("Folders", "run", "2");
  Store("Range", "Active", "1");
  Store("Range", "Start", "tre");
  Store("Range", "End", "5");
  Open();
  const auto marked = [this](const char* name) {
    return Page(name)->palette().color(QPalette::Base) == QColor(255, 214, 214);
  };
  EXPECT_TRUE(Box("ckRun")->toolTip().contains(QStringLiteral("Casella indeterminata")));
  EXPECT_TRUE(Box("ckFolder")->toolTip().isEmpty());
  EXPECT_EQ(marked("txtPagStart"), !kTessik);  // Tessik's range is inactive: it changes nothing
  EXPECT_FALSE(marked("txtPagEnd"));
  if (kTessik) return;
  EXPECT_EQ(Page("txtPagStart")->accessibleDescription(),
            QStringLiteral("Intervallo di pagine non valido: la pagina iniziale (\"tre\") non è "
                           "un numero intero da 1 in su. Si convertono tutte le pagine."));
  Page("txtPagStart")->setText(QStringLiteral("3"));
  EXPECT_FALSE(marked("txtPagStart"));
  EXPECT_TRUE(Page("txtPagStart")->toolTip().isEmpty());
  EXPECT_TRUE(Page("txtPagStart")->accessibleDescription().isEmpty());
  Page("txtPagStart")->setText(QStringLiteral("x"));
  Box("ckRangePag")->click();  // the range no longer applies
  EXPECT_FALSE(marked("txtPagStart"));
  Box("ckRun")->click();
  EXPECT_TRUE(Box("ckRun")->toolTip().isEmpty());
  Click("Command1");
  EXPECT_EQ(Stored("Range", "Start"), "x");
}

// A settings file over the size limit is not read: the initial states, a note that says so on
// the controls, and "Salva" leaves the file as it was.
TEST_F(OptionsDialog, AnUnreadableSettingsFileIsSaidAndLeftAlone) {
  const std::string big = "[Folders]\r\nopen=0\r\n" + std::string(3 << 20, ';');
  testing::WriteFile(testing::PathFromUtf8(settings_.path), big);
  Open();
  EXPECT_EQ(State("ckFolder"), Qt::Checked);
  EXPECT_TRUE(Box("ckFolder")
                  ->toolTip()
                  .contains(QStringLiteral("Impossibile leggere il file delle impostazioni")));
  EXPECT_TRUE(Page("txtPagEnd")->accessibleDescription().contains(QStringLiteral("1 MiB")));
  Box("ckRun")->click();
  Click("Command1");
  EXPECT_EQ(testing::ReadFile(testing::PathFromUtf8(settings_.path)), big);
  EXPECT_TRUE(desktop_.boxes().empty());
}

TEST_F(OptionsDialog, StoredValuesOtherThanZeroOneTwoLeaveTheInitialState) {
  Store("Folders", "open", "0");  // the file exists; open is a valid 0
  Open();
  EXPECT_EQ(State("ckFolder"), Qt::Unchecked);
  EXPECT_EQ(State("ckRun"), Qt::Unchecked);  // absent key
  Click("Command2");
  for (const char* bad : {"3", "-1", "x", "1x", ""}) {
    Store("Folders", "open", bad);
    Store("Folders", "run", bad);
    Open();
    EXPECT_EQ(State("ckFolder"), Qt::Checked) << bad;
    EXPECT_EQ(State("ckRun"), Qt::Unchecked) << bad;
    Click("Command2");
  }
}

TEST_F(OptionsDialog, ASecondOpeningOnlyRaisesTheOpenDialog) {
  QDialog* first = Open();
  Page("txtPagStart")->setText(QStringLiteral("7"));
  Store("Range", "Start", "9");
  EXPECT_EQ(Open(), first);
  EXPECT_EQ(Page("txtPagStart")->text(), QStringLiteral("7"));
  EXPECT_FALSE(first->isModal());
  EXPECT_EQ(first->parentWidget(), nullptr);
  EXPECT_FALSE(first->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  // Closed any other way, it writes nothing and the next opening reads the file again.
  first->close();
  Flush();
  EXPECT_EQ(CurrentOptionsDialog(), nullptr);
  Open();
  EXPECT_EQ(Page("txtPagStart")->text(), QStringLiteral("9"));
  QTest::keyClick(CurrentOptionsDialog(), Qt::Key_Escape);
  Flush();
  EXPECT_EQ(CurrentOptionsDialog(), nullptr);
  EXPECT_EQ(Stored("Folders", "open"), "");
}

TEST_F(OptionsDialog, TextsPositionsAndTabOrderFollowTheDesign) {
  QDialog* dialog = Open();
  struct Place {
    const char* name;
    QString text;
    QRect twips;
  };
  const std::vector<Place> places =
      kTessik
          ? std::vector<Place>{{"ckFolder",
                                "Apri cartella dopo elaborazione",
                                {210, 1680, 3120, 345}},
                               {"ckRun", "Apri file txt dopo elaborazione", {210, 1935, 3195, 345}},
                               {"Command1", "Salva", {2625, 3015, 1065, 285}},
                               {"Command2", "Annulla", {1515, 3030, 1065, 285}},
                               {"ckRangePag",
                                "Converti pagine da :         a :",
                                {210, 2535, 3195, 345}},
                               {"txtPagStart", "1", {2295, 2595, 435, 255}},
                               {"txtPagEnd", "1", {3135, 2595, 435, 255}},
                               {"Check1", "Ignora immagini", {210, 2220, 3195, 345}},
                               {"Image1", "", {2100, 75, 1710, 1635}},
                               {"Label3", "", {135, 270, 3135, 255}},
                               {"Label4", "", {135, 465, 2655, 255}},
                               {"Label2", "", {300, 3405, 3285, 195}}}
          : std::vector<Place>{
                {"ckFolder", "Apri cartella dopo elaborazione", {210, 1620, 3120, 345}},
                {"ckRun", "Eseguii Html dopo elaborazione", {210, 1875, 3195, 345}},
                {"Command1", "Salva", {2430, 3315, 1215, 360}},
                {"Command2", "Annulla", {1155, 3315, 1215, 360}},
                {"ckRangePag", "Converti pagine da :         a :", {210, 2775, 3195, 345}},
                {"txtPagStart", "1", {2295, 2835, 435, 255}},
                {"txtPagEnd", "1", {3135, 2835, 435, 255}},
                {"Check1", "Ignora immagini", {210, 2160, 3195, 345}},
                {"Image1", "", {420, 135, 1320, 1455}}};
  for (const Place& place : places) {
    QWidget* widget = Find<QWidget>(place.name);
    ASSERT_NE(widget, nullptr) << place.name;
    const QRect& t = place.twips;
    EXPECT_EQ(widget->geometry(), QRect(t.x() / 15, t.y() / 15, t.width() / 15, t.height() / 15))
        << place.name;
    if (place.text.isEmpty()) continue;
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
      EXPECT_EQ(button->text(), place.text) << place.name;
    } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
      EXPECT_EQ(edit->text(), place.text) << place.name;
    }
  }
  EXPECT_EQ(dialog->size(), kTessik ? QSize(257, 247) : QSize(259, 262));
  EXPECT_EQ(Find<QLabel>("Image1")->pixmap().size(), kTessik ? QSize(114, 109) : QSize(88, 97));

  // Check boxes in Verdana 8.25 (or its stand-in), the page boxes bold.
  EXPECT_DOUBLE_EQ(Box("ckFolder")->font().pointSizeF(), 8.25);
  EXPECT_FALSE(Box("ckFolder")->font().bold());
  EXPECT_TRUE(Page("txtPagStart")->font().bold());

  const char* order[] = {"ckFolder",   "ckRun",       "Command1",  "Command2",
                         "ckRangePag", "txtPagStart", "txtPagEnd", "Check1"};
  for (std::size_t i = 0; i + 1 < std::size(order); ++i) {
    QWidget* next = Find<QWidget>(order[i])->nextInFocusChain();
    while (next->focusPolicy() == Qt::NoFocus) next = next->nextInFocusChain();
    EXPECT_EQ(next, Find<QWidget>(order[i + 1])) << order[i];
  }
}

TEST_F(OptionsDialog, TitleAndInactiveBoxes) {
  Store("Range", "Active", "1");
  QDialog* dialog = Open();
  if (kTessik) {
    const QString exe = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    EXPECT_TRUE(dialog->windowTitle().startsWith(exe + QStringLiteral(" Version: (BETA) 0.0.9")))
        << dialog->windowTitle().toStdString();
    EXPECT_GT(dialog->windowTitle().size(), exe.size() + 22);  // an author credit follows
    EXPECT_FALSE(Box("Check1")->isEnabled());
    EXPECT_FALSE(Box("ckRangePag")->isEnabled());
    EXPECT_TRUE(Page("txtPagStart")->isEnabled());
    // The inactive box still loads and saves its value.
    EXPECT_EQ(State("ckRangePag"), Qt::Checked);
    Click("Command1");
    EXPECT_EQ(Stored("Range", "Active"), "1");
  } else {
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Opzioni"));
    EXPECT_TRUE(Box("Check1")->isEnabled());
    EXPECT_TRUE(Box("ckRangePag")->isEnabled());
    EXPECT_EQ(Find<QLabel>("Label2"), nullptr);
  }
}

// Without a window manager the dialog follows the mouse itself, with any button; a press on a
// control or on the picture does not move it.
TEST_F(OptionsDialog, PressOnTheFreeSurfaceMovesTheDialog) {
  QDialog* dialog = Open();
  dialog->move(200, 150);
  WaitUntilShown(*dialog);
  auto drag = [&](QWidget* target, QPoint local, QPoint by, Qt::MouseButton button) {
    const QPoint start = dialog->pos();
    QTest::mousePress(target, button, {}, local);
    const QPoint global = target->mapToGlobal(local) + by;
    QMouseEvent move(QEvent::MouseMove, QPointF(local + by), QPointF(global), Qt::NoButton, button,
                     Qt::NoModifier);
    QApplication::sendEvent(target, &move);
    const QPoint moved = dialog->pos() - start;
    QTest::mouseRelease(target, button, {}, local + by);
    return moved;
  };
  const QPoint onSurface = drag(dialog, QPoint(6, 6), QPoint(30, 20), Qt::LeftButton);
  if (onSurface == QPoint(0, 0)) GTEST_SKIP() << "the window system moves windows itself here";
  EXPECT_EQ(onSurface, QPoint(30, 20));
  EXPECT_EQ(drag(dialog, QPoint(6, 6), QPoint(-10, 5), Qt::RightButton), QPoint(-10, 5));
  EXPECT_EQ(drag(dialog, QPoint(6, 6), QPoint(4, -8), Qt::MiddleButton), QPoint(4, -8));
  EXPECT_EQ(drag(Find<QWidget>("Image1"), QPoint(10, 10), QPoint(30, 20), Qt::LeftButton),
            QPoint(0, 0));
  EXPECT_EQ(drag(Box("ckFolder"), QPoint(3, 3), QPoint(30, 20), Qt::LeftButton), QPoint(0, 0));
}

// With DROPLET_SCREENSHOT_DIR set, leaves a picture of the dialog there.
TEST_F(OptionsDialog, Screenshot) {
  const QByteArray dir = qgetenv("DROPLET_SCREENSHOT_DIR");
  if (dir.isEmpty()) GTEST_SKIP() << "DROPLET_SCREENSHOT_DIR not set";
  QDialog* dialog = Open();
  dialog->move(40, 40);
  WaitUntilShown(*dialog);
  const QRect frame = dialog->frameGeometry();
  const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0, frame.x(), frame.y(),
                                                                    frame.width(), frame.height());
  const QString name =
      kTessik ? QStringLiteral("options-tessik.png") : QStringLiteral("options-orvane.png");
  EXPECT_TRUE(shot.save(QDir(QString::fromLocal8Bit(dir)).filePath(name)));
}

}  // namespace
}  // namespace droplet
