// A tiny drag source for the GUI tests: a square window that starts a drag when pressed.
//   droplet_drag_source X Y PATH...       drags the files as a list of URLs
//   droplet_drag_source X Y --text TEXT   drags plain text
// It prints "ready" once its window shows and "result N" (the drop action) when the drag ends,
// and then stays to hand the data over until it is ended (at the latest after a minute).

#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <cstdio>

namespace {

class DragSource : public QWidget {
 public:
  explicit DragSource(QStringList arguments) : arguments_(std::move(arguments)) {
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setFixedSize(80, 80);
  }

 protected:
  void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), QColor(40, 160, 40)); }
  void showEvent(QShowEvent*) override {
    QTimer::singleShot(200, this, [] {
      std::printf("ready\n");
      std::fflush(stdout);
    });
  }
  void mousePressEvent(QMouseEvent*) override {
    auto* mime = new QMimeData;
    if (arguments_.size() == 2 && arguments_[0] == QLatin1String("--text")) {
      mime->setText(arguments_[1]);
    } else {
      QList<QUrl> urls;
      for (const QString& path : arguments_) urls.append(QUrl::fromLocalFile(path));
      mime->setUrls(urls);
    }
    auto* drag = new QDrag(this);
    drag->setMimeData(mime);
    const Qt::DropAction action = drag->exec(Qt::CopyAction);
    std::printf("result %d\n", static_cast<int>(action));
    std::fflush(stdout);
    // The target fetches the data after the drop: keep serving it until the test ends us.
  }

 private:
  QStringList arguments_;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QStringList arguments = QCoreApplication::arguments();
  if (arguments.size() < 4) return 2;
  const int x = arguments[1].toInt();
  const int y = arguments[2].toInt();
  DragSource source(arguments.mid(3));
  source.move(x, y);
  source.show();
  // Never outlive a test that forgot to drive the drag.
  QTimer::singleShot(60000, &application, [] { QCoreApplication::exit(4); });
  return QApplication::exec();
}
