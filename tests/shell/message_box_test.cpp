#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>

#include "common/message_box.h"
#include "shell/box_position.h"
#include "shell/window_helpers_qt.h"
#include "support/qt_support.h"

namespace droplet {
namespace {

using testing::Application;
using testing::BoxAnswerer;
using testing::SeenBox;
using testing::WaitUntilShown;

TEST(StyledMessageBox, MapsButtonsIconsAndAnswers) {
  Application().setApplicationName(QStringLiteral("Orvane"));
  struct Case {
    unsigned style;
    QMessageBox::StandardButton press;
    QMessageBox::StandardButtons buttons;
    QMessageBox::Icon icon;
    int answer;
  };
  const Case cases[] = {
      {kMbOk, QMessageBox::Ok, QMessageBox::Ok, QMessageBox::NoIcon, kIdOk},
      {kMbYesNo | kMbIconExclamation, QMessageBox::Yes, QMessageBox::Yes | QMessageBox::No,
       QMessageBox::Warning, kIdYes},
      {kMbYesNo | kMbIconInformation, QMessageBox::No, QMessageBox::Yes | QMessageBox::No,
       QMessageBox::Information, kIdNo},
      {kMbYesNo, QMessageBox::NoButton, QMessageBox::Yes | QMessageBox::No, QMessageBox::NoIcon,
       kIdNo},  // Escape
      {kMbIconStop, QMessageBox::NoButton, QMessageBox::Ok, QMessageBox::Critical, kIdOk},
  };
  for (const Case& c : cases) {
    BoxAnswerer answerer;
    answerer.Answer(c.press);
    EXPECT_EQ(ShowStyledMessageBox("testo", c.style, kApplicationTitle, BoxPlacement::kSystem),
              c.answer)
        << "style " << c.style;
    ASSERT_EQ(answerer.boxes().size(), 1u);
    const SeenBox& seen = answerer.boxes()[0];
    EXPECT_EQ(seen.buttons, c.buttons);
    EXPECT_EQ(seen.icon, c.icon);
    EXPECT_EQ(seen.title, QStringLiteral("Orvane"));
    EXPECT_EQ(seen.modality, Qt::ApplicationModal);
  }
}

TEST(StyledMessageBox, ShowsItsTitleLineBreaksAndMarkupAsGiven) {
  Application();
  BoxAnswerer answerer;
  ShowStyledMessageBox("uno\rdue\ntre\r\nquattro <b>x</b>", kMbOk, "Titolo", BoxPlacement::kSystem);
  ASSERT_EQ(answerer.boxes().size(), 1u);
  EXPECT_EQ(answerer.boxes()[0].text, QStringLiteral("uno\ndue\ntre\nquattro <b>x</b>"));
  EXPECT_EQ(answerer.boxes()[0].title, QStringLiteral("Titolo"));
  EXPECT_FALSE(answerer.boxes()[0].staysOnTop);
}

TEST(StyledMessageBox, SystemModalAndTopmostOwnersRaiseTheBox) {
  Application();
  {
    BoxAnswerer answerer;
    ShowStyledMessageBox("x", kMbSystemModal, kApplicationTitle, BoxPlacement::kSystem);
    ASSERT_EQ(answerer.boxes().size(), 1u);
    EXPECT_TRUE(answerer.boxes()[0].staysOnTop);
  }
  QWidget topmost(nullptr, Qt::FramelessWindowHint);
  topmost.setGeometry(200, 200, 100, 100);
  SetAlwaysOnTop(topmost);
  topmost.show();
  WaitUntilShown(topmost);
  BoxAnswerer answerer;
  ShowStyledMessageBox("x", kMbOk, kApplicationTitle, BoxPlacement::kSystem);
  ASSERT_EQ(answerer.boxes().size(), 1u);
  EXPECT_TRUE(answerer.boxes()[0].staysOnTop);
}

TEST(SetAlwaysOnTop, KeepsPlaceSizeAndVisibility) {
  Application();
  QWidget window;
  window.setGeometry(120, 130, 90, 80);
  window.show();
  WaitUntilShown(window);
  const QRect before = window.geometry();
  SetAlwaysOnTop(window);
  WaitUntilShown(window);
  EXPECT_TRUE(window.isVisible());
  EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_EQ(window.geometry(), before);
}

TEST(CenteredMessageBox, IsPlacedOnItsOwnerOrOnTheWorkArea) {
  Application();
  QWidget owner;
  owner.setGeometry(700, 500, 500, 300);  // near the right and bottom edges
  owner.show();
  owner.activateWindow();
  WaitUntilShown(owner);
  ASSERT_EQ(QApplication::activeWindow(), &owner);
  const ScreenRect work = ToScreenRect(QGuiApplication::primaryScreen()->availableGeometry());

  for (const bool onOwner : {true, false}) {
    BoxAnswerer answerer;
    EXPECT_EQ(CenteredMessageBox("conversione annullata", kMbSystemModal, "", onOwner), kIdOk);
    ASSERT_EQ(answerer.boxes().size(), 1u);
    const SeenBox& seen = answerer.boxes()[0];
    const ScreenPoint expected = ComputeBoxPosition(
        ToScreenRect(seen.frameGeometry),
        onOwner ? ToScreenRect(owner.frameGeometry()) : ScreenRect{}, work,
        onOwner ? PlacementMode::kCenterOnOwner : PlacementMode::kCenterOnWorkArea);
    EXPECT_EQ(seen.frameGeometry.topLeft(), QPoint(expected.x, expected.y)) << onOwner;
    EXPECT_TRUE(seen.staysOnTop);
    // The empty title the cancellation box is given stays empty: not the application's.
    EXPECT_EQ(seen.title, QString());
  }
}

}  // namespace
}  // namespace droplet
