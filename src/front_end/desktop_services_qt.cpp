#include "front_end/desktop_services_qt.h"

#include <QApplication>
#include <QCursor>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "shell/window_helpers_qt.h"

namespace droplet {

QtDesktopServices::~QtDesktopServices() {
  // A pointer left busy by an unbalanced caller must not outlive the services that set it.
  while (busyDepth_ > 0) SetBusyPointer(false);
}

int QtDesktopServices::ShowMessageBox(const std::string& text, unsigned style,
                                      const std::string& title) {
  return ShowStyledMessageBox(text, style, title, std::nullopt);
}

int QtDesktopServices::ShowCenteredMessageBox(const std::string& text, unsigned style,
                                              const std::string& title, bool centerOnOwner) {
  return CenteredMessageBox(text, style, title, centerOnOwner);
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
