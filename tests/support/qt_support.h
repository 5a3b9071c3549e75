#pragma once

// What the Qt test suites share: the one application, waiting for a window to show, readable
// Qt values in failure messages, and the answerer of message boxes.

#include <QApplication>
#include <QMessageBox>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <deque>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

// Readable QString values in failure messages.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QStringList& list, std::ostream* out) {
  *out << '{' << list.join(QLatin1String("|")).toStdString() << '}';
}

namespace droplet::testing {

// The one QApplication of a test program, made on first use (on X unless the environment
// chooses another platform).
QApplication& Application();

// Waits until `widget` is exposed on screen and painted.
void WaitUntilShown(QWidget& widget);

// UTF-8 text as Qt's.
inline QString Q(const std::string& text) {
  return QString::fromUtf8(text.c_str());
}

// One message box as it showed when it was answered.
struct SeenBox {
  QString title;
  QString text;
  QMessageBox::StandardButtons buttons;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QRect geometry;
  QRect frameGeometry;
  bool staysOnTop = false;
  Qt::WindowModality modality = Qt::NonModal;
  bool aboveForm = true;  // stacking, when a check was asked for
};

// Answers every modal message box from a short repeating timer while it lives: records the box,
// then presses the next scripted answer (QMessageBox::NoButton: Escape); without a script a box
// with Yes gets No, any other OK. A scripted button the box lacks presses its first one.
class BoxAnswerer {
 public:
  BoxAnswerer();
  BoxAnswerer(const BoxAnswerer&) = delete;
  BoxAnswerer& operator=(const BoxAnswerer&) = delete;

  void Answer(QMessageBox::StandardButton button) { script_.push_back(button); }
  // Called with each box before it is answered.
  void OnBox(std::function<void(QMessageBox&, SeenBox&)> check) { check_ = std::move(check); }
  const std::vector<SeenBox>& boxes() const { return boxes_; }
  QStringList texts() const;
  void Clear() { boxes_.clear(); }

 private:
  void Tick();
  void AnswerBox(QMessageBox& box);

  bool inTick_ = false;
  QTimer timer_;
  std::deque<QMessageBox::StandardButton> script_;
  std::vector<SeenBox> boxes_;
  std::function<void(QMessageBox&, SeenBox&)> check_;
};

}  // namespace droplet::testing
