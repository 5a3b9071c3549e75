#pragma once

#include <QApplication>
#include <QImage>
#include <QMessageBox>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <vector>

namespace droplet::testing {

// The one QApplication of a test program, made on first use.
QApplication& Application();

// Waits until `widget` is exposed on screen and painted.
void WaitUntilShown(QWidget& widget);

// What a message box showed when it was answered.
struct SeenBox {
  QString title;
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QMessageBox::StandardButtons buttons;
  QRect geometry;
  QRect frameGeometry;
  bool staysOnTop = false;
  Qt::WindowModality modality = Qt::NonModal;
};

// Answers every modal message box that appears while it lives: `choose` picks the button to
// click (QMessageBox::NoButton: press Escape instead).
class BoxAnswerer {
 public:
  explicit BoxAnswerer(std::function<QMessageBox::StandardButton(const SeenBox&)> choose);
  const std::vector<SeenBox>& seen() const { return seen_; }

 private:
  std::function<QMessageBox::StandardButton(const SeenBox&)> choose_;
  std::vector<SeenBox> seen_;
  QTimer timer_;
};

}  // namespace droplet::testing
