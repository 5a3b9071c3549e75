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
    // The platform cursor changes (and reaches the window system) inside this call, so the
    // pointer shows while the caller blocks without running any event of ours.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ++busyDepth_;
  } else {
    if (busyDepth_ == 0) return;
    QApplication::restoreOverrideCursor();
    --busyDepth_;
  }
}

void QtDesktopServices::EndProgram() {
  std::fflush(nullptr);
  std::_Exit(0);
}

}  // namespace droplet
