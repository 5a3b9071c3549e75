#include "shell/shaped_window_qt.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPalette>
#include <QPixmap>
#include <QRect>
#include <QRegion>
#include <QTransform>
#include <QWindow>
#include <vector>

#include "shell/dib_section.h"
#include "shell/dib_section_qt.h"
#include "shell/opaque_runs.h"

namespace droplet {

namespace {

// Moves a window with the mouse from a press until the button is released, for window systems
// that offer no move of their own. It watches the application's mouse events, since the press
// may have gone to a child of the window, and removes itself at the release.
class ManualMove : public QObject {
 public:
  ManualMove(QWidget& window, const QPoint& globalPress)
      : QObject(&window), window_(window), offset_(globalPress - window.pos()) {
    qApp->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    switch (event->type()) {
      case QEvent::MouseMove: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->buttons() == Qt::NoButton) {
          Finish();
          break;
        }
        window_.move(mouse->globalPosition().toPoint() - offset_);
        return true;
      }
      case QEvent::MouseButtonRelease:
        Finish();
        return watched == &window_;
      default:
        break;
    }
    return false;
  }

 private:
  void Finish() {
    qApp->removeEventFilter(this);
    deleteLater();
  }

  QWidget& window_;
  QPoint offset_;
};

}  // namespace

// QRegion::setRects takes the whole list at once when it comes sorted from the top row down
// and from left to right within a row, with no two rectangles touching (runs never touch).
// Given in any other order, or added one by one, the union costs far more.
QRegion RegionFromRuns(const std::vector<RunRect>& runs) {
  std::vector<QRect> rects;
  rects.reserve(runs.size());
  VisitRunsTopDown(runs, [&rects](const RunRect& run) {
    rects.emplace_back(run.left, run.top, run.right - run.left, run.bottom - run.top);
  });
  QRegion region;
  if (!rects.empty()) region.setRects(rects.data(), static_cast<int>(rects.size()));
  return region;
}

std::vector<RunRect> ShapeFormFromPicture(QWidget& window, const QImage& picture,
                                          std::int32_t& keyColour) {
  cDIBSection dib;
  CreateFromPicture(dib, picture);
  const int width = dib.Width();
  const int height = dib.Height();
  const std::uint8_t* bits = dib.DIBSectionBitsPtr();

  // The picture's pixels are the window's logical pixels; a picture made for a higher device
  // pixel ratio covers its device-independent size, and its mask shrinks with it.
  const qreal pictureRatio = picture.isNull() ? 1.0 : picture.devicePixelRatio();
  const QSize logicalSize =
      picture.isNull() ? QSize(0, 0) : picture.deviceIndependentSize().toSize();
  window.setFixedSize(logicalSize);
  if (!picture.isNull()) {
    QPalette palette = window.palette();
    palette.setBrush(window.backgroundRole(), QBrush(QPixmap::fromImage(picture)));
    window.setPalette(palette);
    window.setAutoFillBackground(true);
  }

  std::vector<RunRect> runs;
  if (bits != nullptr && width > 0 && height > 0) {
    if (keyColour == 1) keyColour = dib.PixelColour(0, 0);
    // Qt's masks are in client coordinates, so there are no frame offsets to add.
    runs = CollectOpaqueRuns(bits, dib.BytesPerScanLine(), width, height, keyColour, 0, 0);
  }
  QRegion shape = RegionFromRuns(runs);
  if (pictureRatio != 1.0 && !shape.isEmpty()) {
    shape = QTransform::fromScale(1.0 / pictureRatio, 1.0 / pictureRatio).map(shape);
  }
  if (shape.isEmpty()) {
    // An empty region would clear the mask and show the whole window; a pixel outside the
    // window keeps every pixel of it cut away.
    shape = QRegion(-1, -1, 1, 1);
  }
  window.setMask(shape);
  return runs;
}

void DragForm(QWidget& window, const QPoint& globalPressPosition, Qt::MouseButton button) {
  QWidget* top = window.window();
  if (top == nullptr) return;
  QWindow* handle = top->windowHandle();
  if (button == Qt::LeftButton && handle != nullptr && handle->startSystemMove()) return;
  new ManualMove(*top, globalPressPosition);
}

}  // namespace droplet
