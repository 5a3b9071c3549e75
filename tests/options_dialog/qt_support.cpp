#include "qt_support.h"

#include <QAbstractButton>
#include <QTest>
#include <QWindow>

namespace droplet::testing {

QApplication& Application() {
  static QApplication* application = [] {
    static int argc = 1;
    static char name[] = "droplet_qt_test";
    static char* argv[] = {name, nullptr};
    return new QApplication(argc, argv);
  }();
  return *application;
}

void WaitUntilShown(QWidget& widget) {
  (void)QTest::qWaitForWindowExposed(&widget, 5000);
  QTest::qWait(150);
  QApplication::processEvents();
}

BoxAnswerer::BoxAnswerer(std::function<QMessageBox::StandardButton(const SeenBox&)> choose)
    : choose_(std::move(choose)) {
  timer_.setInterval(20);
  QObject::connect(&timer_, &QTimer::timeout, [this] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible()) return;
    SeenBox seen;
    seen.title = box->windowTitle();
    seen.text = box->text();
    seen.icon = box->icon();
    seen.buttons = box->standardButtons();
    seen.geometry = box->geometry();
    seen.frameGeometry = box->frameGeometry();
    seen.staysOnTop = box->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
    seen.modality = box->windowModality();
    seen_.push_back(seen);
    const QMessageBox::StandardButton choice = choose_(seen);
    if (choice == QMessageBox::NoButton) {
      QTest::keyClick(box, Qt::Key_Escape);
    } else if (QAbstractButton* button = box->button(choice)) {
      button->click();
    }
  });
  timer_.start();
}

}  // namespace droplet::testing
