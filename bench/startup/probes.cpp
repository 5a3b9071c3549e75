// The two programs the start-up benchmark times. Each ends the moment its window is first
// exposed on the screen:
//   droplet_startup_probe orvane    Orvane's main window as the program starts it
//   droplet_startup_probe minimal   a plain Qt window of the same size, the baseline

#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <QWindow>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "common/platform.h"
#include "front_end/deliverable.h"
#include "front_end/main_window_qt.h"

namespace {

// Ends the process at the first expose of the watched window.
class EndOnExpose : public QObject {
 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Expose && static_cast<QWindow*>(watched)->isExposed()) {
      std::fflush(nullptr);
      std::_Exit(0);
    }
    return false;
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  QApplication application(argc, argv);
  std::unique_ptr<QWidget> window;
  if (std::strcmp(argv[1], "orvane") == 0) {
    const droplet::Deliverable& deliverable = droplet::OrvaneDeliverable();
    const QString name = QString::fromStdString(deliverable.shortName);
    QApplication::setApplicationName(name);
    window = std::make_unique<droplet::Form1>(deliverable, droplet::ProgramFolder());
    droplet::MoveToStartPosition(*window);
  } else {
    window = std::make_unique<QWidget>();
    window->resize(232, 120);
    window->move(600, 100);
  }
  EndOnExpose end;
  window->winId();  // creates the native window, so the filter can watch it
  window->windowHandle()->installEventFilter(&end);
  window->show();
  return QApplication::exec();
}
