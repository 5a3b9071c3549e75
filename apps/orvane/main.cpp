// The Orvane program: its main window and nothing else.

#include <QApplication>

#include "common/platform.h"
#include "front_end/deliverable.h"
#include "front_end/main_window_qt.h"

int main(int argc, char** argv) {
  const droplet::Deliverable& deliverable = droplet::OrvaneDeliverable();
  QApplication application(argc, argv);
  const QString name = QString::fromStdString(deliverable.shortName);
  QApplication::setApplicationName(name);
  const droplet::Version& v = deliverable.version;
  QApplication::setApplicationVersion(
      QStringLiteral("%1.%2.%3").arg(v.major).arg(v.minor).arg(v.revision));

  droplet::Form1 form1(deliverable, droplet::ProgramFolder());
  droplet::MoveToStartPosition(form1);
  form1.show();
  form1.CheckConverterSoon();
  return QApplication::exec();
}
