#include "gui_fixture.h"

#include <QApplication>
#include <QMenu>
#include <QScreen>
#include <QTest>

#include "x11_support.h"

namespace droplet::testing {

void GuiTest::SetUp() {
  Application();
  answerer_ = std::make_unique<BoxAnswerer>();
}

void GuiTest::TearDown() {
  form_.reset();
  answerer_.reset();
  if (windowManager_.state() != QProcess::NotRunning) {
    windowManager_.terminate();
    windowManager_.waitForFinished(5000);
  }
}

Form1& GuiTest::ShowForm(const Deliverable& deliverable, QPoint position) {
  form_ = std::make_unique<Form1>(deliverable, folder_.str(),
                                  std::make_unique<RecordingOpener>(opened_));
  const QString title = QString::fromStdString(deliverable.shortName);
  QApplication::setApplicationName(title);
  form_->move(position);
  form_->show();
  EXPECT_TRUE(QTest::qWaitForWindowExposed(form_.get()));
  QTest::qWait(300);
  return *form_;
}

QPoint GuiTest::ChooseMenuEntry(const char* actionName, QPoint at) {
  QPoint shownAt;
  QTimer chooser;
  QObject::connect(&chooser, &QTimer::timeout, [&] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (menu == nullptr || !menu->isVisible()) return;
    chooser.stop();
    shownAt = menu->pos();
    QAction* action = form_->findChild<QAction*>(QString::fromLatin1(actionName));
    if (action == nullptr) {
      menu->close();
      return;
    }
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
  });
  chooser.start(50);
  QTest::mousePress(form_.get(), Qt::RightButton, {}, at);
  QTest::mouseRelease(form_.get(), Qt::RightButton, {}, at);
  return shownAt;
}

void GuiTest::Xdotool(const QStringList& arguments) {
  QProcess xdotool;
  xdotool.start(QStringLiteral("xdotool"), arguments);
  EXPECT_TRUE(QTest::qWaitFor([&] { return xdotool.state() == QProcess::NotRunning; }, 20000));
}

int GuiTest::DragOnto(QPoint target, const QStringList& sourceArguments, bool waitForTheRun) {
  const QPoint sourceAt(60, 120);
  QProcess source;
  source.start(
      QStringLiteral(DROPLET_DRAG_SOURCE),
      QStringList{QString::number(sourceAt.x()), QString::number(sourceAt.y())} + sourceArguments);
  EXPECT_TRUE(QTest::qWaitFor(
      [&] { return source.canReadLine() || source.state() == QProcess::NotRunning; }, 15000));
  if (!source.readLine().startsWith("ready")) return -1;

  const QPoint start = sourceAt + QPoint(40, 40);
  QStringList script{QStringLiteral("mousemove"), QString::number(start.x()),
                     QString::number(start.y()),  QStringLiteral("sleep"),
                     QStringLiteral("0.3"),       QStringLiteral("mousedown"),
                     QStringLiteral("1")};
  constexpr int kSteps = 20;
  for (int step = 1; step <= kSteps; ++step) {
    const QPoint p = start + (target - start) * step / kSteps;
    script << QStringLiteral("sleep") << QStringLiteral("0.05") << QStringLiteral("mousemove")
           << QString::number(p.x()) << QString::number(p.y());
  }
  script << QStringLiteral("sleep") << QStringLiteral("0.3") << QStringLiteral("mouseup")
         << QStringLiteral("1");
  QProcess mouse;
  mouse.start(QStringLiteral("xdotool"), script);
  // The event loop keeps running: the drop and its message boxes are handled meanwhile.
  QByteArray output;
  EXPECT_TRUE(QTest::qWaitFor(
      [&] {
        output += source.readAll();
        return mouse.state() == QProcess::NotRunning && output.contains("result ");
      },
      90000));
  // A drop still on its way arrives here; the window then works on it from its event loop.
  QTest::qWait(1000);
  if (waitForTheRun && form_) {
    EXPECT_TRUE(QTest::qWaitFor([&] { return !form_->workflow().Busy(); }, 120000));
  }
  source.kill();
  source.waitForFinished(5000);
  const qsizetype at = output.indexOf("result ");
  if (at < 0) return -1;
  return output.mid(at + 7).trimmed().toInt();
}

QImage GuiTest::GrabForm() {
  const QRect area(form_->mapToGlobal(QPoint(0, 0)), form_->size());
  return QGuiApplication::primaryScreen()
      ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
      .toImage()
      .convertToFormat(QImage::Format_RGB32);
}

QPoint GuiTest::OpaquePoint() const {
  const QImage& picture = form_->picture();
  const QRgb key = picture.pixel(0, picture.height() - 1);
  // Nearest opaque pixel to the centre, away from Tessik's labels (lower right).
  const QPoint centre(picture.width() / 2, picture.height() / 3);
  for (int radius = 0; radius < picture.width(); ++radius) {
    for (int dy = -radius; dy <= radius; ++dy) {
      for (int dx = -radius; dx <= radius; ++dx) {
        const QPoint p = centre + QPoint(dx, dy);
        if (picture.rect().contains(p) && picture.pixel(p) != key) return form_->mapToGlobal(p);
      }
    }
  }
  return {};
}

QPoint GuiTest::CutAwayPoint() const {
  const QImage& picture = form_->picture();
  // The last column is wholly of the key colour.
  return form_->mapToGlobal(QPoint(picture.width() - 1, picture.height() / 2));
}

bool GuiTest::StartWindowManager() {
  if (x11::WindowManagerRunning()) return true;
  windowManager_.start(QStringLiteral("openbox"), {});
  if (!windowManager_.waitForStarted(5000)) return false;
  if (!QTest::qWaitFor([] { return x11::WindowManagerRunning(); }, 10000)) return false;
  QTest::qWait(500);  // the manager takes over the screen after announcing itself
  return true;
}

}  // namespace droplet::testing
