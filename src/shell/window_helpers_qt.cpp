#include "shell/window_helpers_qt.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QString>
#include <QTimer>

#include "common/message_box.h"
#include "shell/box_position.h"

namespace droplet {

namespace {

bool StaysOnTop(const QWidget* widget) {
  return widget->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

// The window a box belongs to: the active window, otherwise the visible top-level window of
// ours that floats highest (a topmost one before an ordinary one).
QWidget* FindOwner() {
  if (QWidget* active = QApplication::activeWindow()) return active;
  QWidget* found = nullptr;
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (!widget->isVisible() || qobject_cast<QMessageBox*>(widget) != nullptr) continue;
    if (found == nullptr || (StaysOnTop(widget) && !StaysOnTop(found))) found = widget;
  }
  return found;
}

bool AnyTopmostWindowShown() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (widget->isVisible() && StaysOnTop(widget)) return true;
  }
  return false;
}

// CR LF, lone CR and lone LF all become one line break.
QString LinesOf(const std::string& text) {
  QString lines = QString::fromStdString(text);
  lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return lines;
}

QMessageBox::Icon IconFor(unsigned style) {
  switch (style & kMbIconMask) {
    case kMbIconStop:
      return QMessageBox::Critical;
    case 0x20:
      return QMessageBox::Question;
    case kMbIconExclamation:
      return QMessageBox::Warning;
    case kMbIconInformation:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

// A message box that moves itself to its computed place once its final size is known and
// before the window system maps it.
class PlacedMessageBox : public QMessageBox {
 public:
  PlacedMessageBox(QWidget* owner, BoxPlacement placement, ScreenRect ownerRect)
      : QMessageBox(owner), placement_(placement), ownerRect_(ownerRect) {}

 protected:
  void showEvent(QShowEvent* event) override {
    QMessageBox::showEvent(event);
    if (placement_ == BoxPlacement::kSystem || event->spontaneous()) return;
    QScreen* screen =
        parentWidget() != nullptr ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    const ScreenRect work = ToScreenRect(screen->availableGeometry());
    QRect frame = frameGeometry();
    frame.setSize(frame.size().expandedTo(size()));
    const ScreenPoint point = ComputeBoxPosition(ToScreenRect(frame), ownerRect_, work,
                                                 placement_ == BoxPlacement::kCenterOnOwner
                                                     ? PlacementMode::kCenterOnOwner
                                                     : PlacementMode::kCenterOnWorkArea);
    move(point.x, point.y);
  }

 private:
  BoxPlacement placement_;
  ScreenRect ownerRect_;
};

}  // namespace

void SetAlwaysOnTop(QWidget& window) {
  if (StaysOnTop(&window)) return;
  const bool shown = window.isVisible();
  const QPoint position = window.pos();
  window.setWindowFlag(Qt::WindowStaysOnTopHint, true);
  if (window.isWindow()) window.move(position);
  if (shown) window.show();
}

int ShowStyledMessageBox(const std::string& text, unsigned style, const BoxTitle& title,
                         BoxPlacement placement) {
  // Right after another box closed no window is active yet: the owner found among our shown
  // windows is the one the box belongs to and is centred on.
  QWidget* owner = FindOwner();
  ScreenRect ownerRect{0, 0, 0, 0};
  if (owner != nullptr && placement == BoxPlacement::kCenterOnOwner) {
    ownerRect = ToScreenRect(owner->frameGeometry());
  }
  PlacedMessageBox box(owner, placement, ownerRect);
  box.setTextFormat(Qt::PlainText);
  box.setText(LinesOf(text));
  box.setWindowTitle(title ? QString::fromStdString(*title)
                           : QApplication::applicationDisplayName());
  box.setIcon(IconFor(style));
  const bool yesNo = (style & kMbButtonsMask) == kMbYesNo;
  if (yesNo) {
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
  } else {
    box.setStandardButtons(QMessageBox::Ok);
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Ok);
  }
  const bool systemModal = (style & kMbSystemModal) != 0;
  // Modal for the whole application: no drop or menu command may start under an open box.
  box.setWindowModality(Qt::ApplicationModal);
  // A box under our own topmost window could not be seen nor answered.
  if (systemModal || AnyTopmostWindowShown()) box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
  QTimer::singleShot(0, &box, [&box] {
    box.raise();
    box.activateWindow();
  });
  box.exec();

  const QAbstractButton* clicked = box.clickedButton();
  if (yesNo) return clicked == box.button(QMessageBox::Yes) ? kIdYes : kIdNo;
  return kIdOk;
}

int CenteredMessageBox(const std::string& text, unsigned style, const std::string& title,
                       bool centerOnOwner) {
  return ShowStyledMessageBox(
      text, style, title,
      centerOnOwner ? BoxPlacement::kCenterOnOwner : BoxPlacement::kCenterOnWorkArea);
}

}  // namespace droplet
