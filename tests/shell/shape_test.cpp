#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWidget>

#include "shell/shaped_window_qt.h"
#include "shell/window_helpers_qt.h"
#include "support/qt_support.h"

namespace droplet {
namespace {

using testing::Application;
using testing::WaitUntilShown;

const QColor kLoud(255, 0, 255);

// A full-screen window of a loud colour: whatever a cut-away pixel shows.
class Backdrop : public QWidget {
 public:
  Backdrop() : QWidget(nullptr, Qt::FramelessWindowHint) {
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, kLoud);
    setPalette(p);
    setGeometry(0, 0, 400, 300);
    show();
    WaitUntilShown(*this);
  }
};

// A frameless topmost window cut to `picture`, shown at (60, 40).
std::unique_ptr<QWidget> ShapedWindow(const QImage& picture, std::int32_t& key) {
  auto window = std::make_unique<QWidget>(nullptr, Qt::FramelessWindowHint);
  ShapeFormFromPicture(*window, picture, key);
  SetAlwaysOnTop(*window);
  window->move(60, 40);
  window->show();
  WaitUntilShown(*window);
  return window;
}

QImage Grab(int x, int y, int w, int h) {
  return QGuiApplication::primaryScreen()
      ->grabWindow(0, x, y, w, h)
      .toImage()
      .convertToFormat(QImage::Format_RGB32);
}

// Counts the pixels where the screen does not show what the shape promises: the picture's
// colour inside, the backdrop where the picture has the key colour.
int ScreenMismatches(const QImage& picture, QRgb key) {
  const QImage screen = Grab(60, 40, picture.width(), picture.height());
  const QImage expected = picture.convertToFormat(QImage::Format_RGB32);
  int wrong = 0;
  for (int y = 0; y < picture.height(); ++y) {
    for (int x = 0; x < picture.width(); ++x) {
      const QRgb want = (expected.pixel(x, y) & 0xFFFFFF) == (key & 0xFFFFFF)
                            ? kLoud.rgb()
                            : expected.pixel(x, y);
      if ((screen.pixel(x, y) & 0xFFFFFF) != (want & 0xFFFFFF)) ++wrong;
    }
  }
  return wrong;
}

TEST(ShapedWindow, OrvanePictureIsCutToItsOutlineOnScreen) {
  Application();
  Backdrop backdrop;
  const QImage picture(QStringLiteral(":/droplet/picture.bmp"));
  ASSERT_EQ(picture.size(), QSize(232, 120));
  std::int32_t key = 1;
  auto window = ShapedWindow(picture, key);
  EXPECT_EQ(key, 0);  // the bottom-left pixel is black
  EXPECT_EQ(window->size(), QSize(232, 120));
  EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_EQ(ScreenMismatches(picture, qRgb(0, 0, 0)), 0);
  // A cut-away corner and the last column show the backdrop.
  EXPECT_EQ(Grab(60, 40, 1, 1).pixel(0, 0), kLoud.rgb());
  EXPECT_EQ(Grab(60 + 231, 40 + 60, 1, 1).pixel(0, 0), kLoud.rgb());
}

TEST(ShapedWindow, HolesInsideThePictureShowWhatLiesBehind) {
  Application();
  Backdrop backdrop;
  QImage picture(40, 30, QImage::Format_RGB32);
  picture.fill(QColor(20, 120, 200));
  QPainter painter(&picture);
  painter.fillRect(10, 8, 12, 9, Qt::white);  // a hole in the middle
  painter.fillRect(0, 29, 40, 1, Qt::white);  // the bottom row, key by its left pixel
  painter.fillRect(39, 0, 1, 30, Qt::white);  // the last column
  painter.end();
  std::int32_t key = 1;
  auto window = ShapedWindow(picture, key);
  EXPECT_EQ(key, 0xFFFFFF);
  EXPECT_EQ(ScreenMismatches(picture, qRgb(255, 255, 255)), 0);
  EXPECT_FALSE(window->mask().contains(QPoint(10, 8)));
  EXPECT_TRUE(window->mask().contains(QPoint(9, 8)));
}

TEST(ShapedWindow, RegionOfTheRunsCoversExactlyTheVisiblePixels) {
  Application();
  QImage picture(37, 23, QImage::Format_RGB32);
  std::uint32_t seed = 7;
  QRegion expected;
  for (int y = 0; y < picture.height(); ++y) {
    for (int x = 0; x < picture.width(); ++x) {
      seed = seed * 1103515245u + 12345u;
      const bool visible = (seed >> 16) % 3 != 0;
      picture.setPixel(x, y, visible ? qRgb(200, 30, 30) : qRgb(0, 0, 0));
      if (visible) expected += QRect(x, y, 1, 1);
    }
  }
  QWidget window;
  std::int32_t key = 0;
  ShapeFormFromPicture(window, picture, key);
  const QRegion shape = window.mask();
  EXPECT_TRUE((shape ^ expected).isEmpty());
  EXPECT_TRUE((shape - expected).isEmpty());
  EXPECT_EQ(shape.boundingRect(), expected.boundingRect());
  for (int y = 0; y < picture.height(); ++y) {
    for (int x = 0; x < picture.width(); ++x) {
      EXPECT_EQ(shape.contains(QPoint(x, y)), picture.pixel(x, y) != qRgb(0, 0, 0))
          << x << "," << y;
    }
  }
}

TEST(ShapedWindow, GivenKeyIsPackedBlueLowAndUsedUnchanged) {
  Application();
  QImage picture(3, 1, QImage::Format_RGB32);
  picture.setPixel(0, 0, qRgb(10, 20, 30));  // red 10, green 20, blue 30
  picture.setPixel(1, 0, qRgb(30, 20, 10));
  picture.setPixel(2, 0, qRgb(10, 20, 30));
  QWidget window;
  std::int32_t key = 30 + 20 * 256 + 10 * 65536;
  ShapeFormFromPicture(window, picture, key);
  EXPECT_EQ(key, 30 + 20 * 256 + 10 * 65536);
  EXPECT_EQ(window.mask(), QRegion(1, 0, 1, 1));
}

TEST(ShapedWindow, AllKeyAndEmptyPicturesLeaveNothingVisible) {
  Application();
  Backdrop backdrop;
  QImage allKey(30, 20, QImage::Format_RGB32);
  allKey.fill(QColor(0, 128, 0));
  std::int32_t key = 1;
  auto window = ShapedWindow(allKey, key);
  EXPECT_EQ(key, 128 * 256);
  EXPECT_FALSE(window->mask().isEmpty());  // an empty mask would show the whole window
  EXPECT_FALSE(window->mask().intersects(window->rect()));
  EXPECT_EQ(ScreenMismatches(allKey, qRgb(0, 128, 0)), 0);

  QWidget empty;
  std::int32_t emptyKey = 1;
  ShapeFormFromPicture(empty, QImage(), emptyKey);
  EXPECT_EQ(emptyKey, 1);  // nothing to sample
  EXPECT_EQ(empty.size(), QSize(0, 0));
}

TEST(ShapedWindow, HighDensityPictureKeepsItsMaskInLogicalPixels) {
  Application();
  QImage picture(4, 4, QImage::Format_RGB32);
  picture.fill(Qt::black);
  QPainter painter(&picture);
  painter.fillRect(2, 0, 2, 2, Qt::red);
  painter.end();
  picture.setDevicePixelRatio(2.0);
  QWidget window;
  std::int32_t key = 1;
  ShapeFormFromPicture(window, picture, key);
  EXPECT_EQ(window.size(), QSize(2, 2));
  EXPECT_EQ(window.mask(), QRegion(1, 0, 1, 1));
}

// Without a window manager there is no system move: the window follows the mouse itself until
// the button is released.
TEST(DragForm, MovesTheWindowWithTheMouseUntilRelease) {
  Application();
  QWidget window(nullptr, Qt::FramelessWindowHint);
  window.setGeometry(100, 100, 50, 50);
  window.show();
  WaitUntilShown(window);
  const QPoint start = window.pos();
  DragForm(window, start + QPoint(10, 10));
  auto send = [&](QEvent::Type type, QPoint global, Qt::MouseButtons buttons) {
    QMouseEvent event(type, QPointF(10, 10), QPointF(global), Qt::LeftButton, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(&window, &event);
  };
  send(QEvent::MouseMove, start + QPoint(50, 30), Qt::LeftButton);
  if (window.pos() == start) GTEST_SKIP() << "the window system moves windows itself here";
  EXPECT_EQ(window.pos(), start + QPoint(40, 20));
  send(QEvent::MouseButtonRelease, start + QPoint(50, 30), Qt::NoButton);
  send(QEvent::MouseMove, start + QPoint(90, 90), Qt::LeftButton);
  EXPECT_EQ(window.pos(), start + QPoint(40, 20));
}

}  // namespace
}  // namespace droplet
