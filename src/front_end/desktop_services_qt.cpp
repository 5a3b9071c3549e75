#include "front_end/desktop_services_qt.h"

#include <QApplication>
#include <QCoreApplication>
#include <QCursor>
#include <QMetaObject>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "shell/window_helpers_qt.h"

namespace droplet {

QtDesktopServices::~QtDesktopServices() {
  // A pointer left busy by an unbalanced caller must not outlive the services that set it.
  while (busyDepth_ > 0) SetBusyPointer(false);
}

int QtDesktopServices::ShowBox(const std::string& text, unsigned style, const BoxTitle& title,
                               BoxPlacement placement) {
  return ShowStyledMessageBox(text, style, title, placement);
}

void QtDesktopServices::PostToWindowThread(std::function<void()> call) {
  QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(call), Qt::QueuedConnection);
}

void QtDesktopServices::SetBusyPointer(bool busy) {
  if (busy) {
    if (busyDepth_++ == 0) ShowBusy(true);
  } else {
    if (busyDepth_ == 0) return;
    if (--busyDepth_ == 0) ShowBusy(false);
  }
}

void QtDesktopServices::ShowBusy(bool busy) {
  if (busyWindow_ != nullptr) {
    if (busy) {
      busyWindow_->setCursor(Qt::WaitCursor);
    } else {
      busyWindow_->unsetCursor();
    }
    return;
  }
  // Without a window of its own the pointer changes over the whole application.
  if (busy) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    QApplication::restoreOverrideCursor();
  }
}

void QtDesktopServices::EndProgram() {
  std::fflush(nullptr);
  std::_Exit(0);
}

}  // namespace droplet
