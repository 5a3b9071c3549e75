#include "support/qt_support.h"

#include <QAbstractButton>
#include <QTest>
#include <cstdlib>

namespace droplet::testing {

QApplication& Application() {
  static QApplication* application = [] {
    static int argc = 1;
    static char name[] = "droplet_qt_test";
    static char* argv[] = {name, nullptr};
    ::setenv("QT_QPA_PLATFORM", "xcb", 0);
    return new QApplication(argc, argv);
  }();
  return *application;
}

void WaitUntilShown(QWidget& widget) {
  (void)QTest::qWaitForWindowExposed(&widget, 5000);
  QTest::qWait(150);
  QApplication::processEvents();
}

BoxAnswerer::BoxAnswerer() {
  QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
  timer_.start(20);
}

QStringList BoxAnswerer::texts() const {
  QStringList all;
  for (const SeenBox& box : boxes_) all << box.text;
  return all;
}

void BoxAnswerer::Tick() {
  if (inTick_) return;  // a check that waits must not see its own box twice
  auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
  if (box == nullptr || !box->isVisible()) return;
  inTick_ = true;
  AnswerBox(*box);
  inTick_ = false;
}

void BoxAnswerer::AnswerBox(QMessageBox& box) {
  SeenBox seen;
  seen.title = box.windowTitle();
  seen.text = box.text();
  seen.buttons = box.standardButtons();
  seen.icon = box.icon();
  seen.geometry = box.geometry();
  seen.frameGeometry = box.frameGeometry();
  seen.staysOnTop = box.windowFlags().testFlag(Qt::WindowStaysOnTopHint);
  seen.modality = box.windowModality();
  if (check_) check_(box, seen);
  boxes_.push_back(seen);

  QMessageBox::StandardButton answer =
      seen.buttons.testFlag(QMessageBox::Yes) ? QMessageBox::No : QMessageBox::Ok;
  if (!script_.empty()) {
    answer = script_.front();
    script_.pop_front();
  }
  if (answer == QMessageBox::NoButton) {
    QTest::keyClick(&box, Qt::Key_Escape);
    return;
  }
  QAbstractButton* button = box.button(answer);
  if (button == nullptr && !box.buttons().isEmpty()) button = box.buttons().front();
  if (button != nullptr) button->click();
}

}  // namespace droplet::testing
