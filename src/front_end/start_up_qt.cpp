#include <QApplication>

#include "common/platform.h"
#include "common/version.h"
#include "front_end/main_window_qt.h"
#include "front_end/start_up.h"

namespace droplet {

int RunProgram(const Deliverable& deliverable, int& argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QString::fromStdString(deliverable.shortName));
  QApplication::setApplicationVersion(QString::fromStdString(FormatVersion(deliverable.version)));

  Form1 form1(deliverable, ProgramFolder());
  MoveToStartPosition(form1);
  form1.show();
  form1.CheckConverterSoon();
  return QApplication::exec();
}

}  // namespace droplet
