// Runs a droplet's main window in a process of its own and asks it to quit, answering Yes to
// the confirmation: the process must end there, with code 0 and nothing shown afterwards.
//   droplet_quit_probe orvane|tessik menu|spot|close PROGRAM_FOLDER
// Prints "box: TITLE | TEXT" for every message box; "survived" if the request returned.

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cstdio>

#include "front_end/deliverable.h"
#include "front_end/main_window_qt.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  const QStringList arguments = QCoreApplication::arguments();
  if (arguments.size() != 4) return 2;
  const droplet::Deliverable& deliverable = arguments[1] == QLatin1String("tessik")
                                                ? droplet::TessikDeliverable()
                                                : droplet::OrvaneDeliverable();
  QApplication::setApplicationName(QString::fromStdString(deliverable.shortName));
  droplet::Form1 form1(deliverable, arguments[3].toStdString());
  form1.move(200, 200);
  form1.show();
  if (!QTest::qWaitForWindowExposed(&form1)) return 5;

  QTimer answerer;
  QObject::connect(&answerer, &QTimer::timeout, [] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible()) return;
    std::printf("box: %s | %s\n", qPrintable(box->windowTitle()),
                qPrintable(box->text().replace(QLatin1Char('\n'), QLatin1String("\\n"))));
    std::fflush(stdout);
    if (QAbstractButton* yes = box->button(QMessageBox::Yes)) {
      yes->click();
    } else {
      box->close();
    }
  });
  answerer.start(30);

  const QString how = arguments[2];
  if (how == QLatin1String("menu")) {
    form1.findChild<QAction*>(QStringLiteral("mnuExit"))->trigger();
  } else if (how == QLatin1String("spot")) {
    auto* spot = form1.findChild<QLabel*>(QStringLiteral("Label1"));
    if (spot == nullptr) return 6;
    QTest::mouseDClick(spot, Qt::LeftButton, {}, spot->rect().center());
  } else {
    QCloseEvent close;
    QApplication::sendEvent(&form1, &close);
  }
  std::printf("survived\n");
  std::fflush(stdout);
  return 3;
}
