#include "front_end/main_window_qt.h"

#include <QAction>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFont>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QScreen>
#include <QUrl>
#include <algorithm>
#include <exception>
#include <functional>
#include <utility>

#include "common/failure.h"
#include "common/message_box.h"
#include "settings/options_dialog_qt.h"
#include "shell/shaped_window_qt.h"
#include "shell/window_helpers_qt.h"

namespace droplet {
namespace {

QString FromUtf8(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Positions of Tessik's labels are given in twips; 15 twips make one pixel.
QRect TwipsRect(int left, int top, int width, int height) {
  constexpr int kTwipsPerPixel = 15;
  return QRect(left / kTwipsPerPixel, top / kTwipsPerPixel, width / kTwipsPerPixel,
               height / kTwipsPerPixel);
}

// Label1 of Tessik: an invisible spot that asks to quit on a double click. A single press is
// taken (so it neither moves the window nor does anything else); other buttons pass on to the
// window, so the pop-up menu works on the spot too.
class CloseSpot : public QLabel {
 public:
  CloseSpot(QWidget* parent, std::function<void()> onDoubleClick)
      : QLabel(parent), onDoubleClick_(std::move(onDoubleClick)) {}

 protected:
  void mousePressEvent(QMouseEvent* event) override {
    if (event->button() == Qt::LeftButton) {
      event->accept();
    } else {
      event->ignore();
    }
  }
  void mouseDoubleClickEvent(QMouseEvent* event) override {
    if (event->button() != Qt::LeftButton) {
      event->ignore();
      return;
    }
    event->accept();
    onDoubleClick_();
  }

 private:
  std::function<void()> onDoubleClick_;
};

}  // namespace

DragData DragDataFromMime(const QMimeData& mime) {
  DragData data;
  if (!mime.hasUrls()) return data;
  const QList<QUrl> urls = mime.urls();
  if (urls.isEmpty()) return data;
  for (const QUrl& url : urls) {
    if (!url.isLocalFile()) return DragData{};
    const QByteArray path = url.toLocalFile().toUtf8();
    data.paths.emplace_back(path.constData(), static_cast<size_t>(path.size()));
  }
  data.offersFileList = true;
  return data;
}

unsigned DropEffectsFromActions(Qt::DropActions actions) {
  unsigned effects = kDropEffectNone;
  if (actions & Qt::CopyAction) effects |= kDropEffectCopy;
  if (actions & Qt::MoveAction) effects |= 2u;
  if (actions & Qt::LinkAction) effects |= 4u;
  return effects;
}

Form1::Form1(const Deliverable& deliverable, std::string programFolder, QWidget* parent)
    : Form1(deliverable, std::move(programFolder), MakeSystemDocumentOpener(), parent) {}

Form1::Form1(const Deliverable& deliverable, std::string programFolder,
             std::unique_ptr<DocumentOpener> opener, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      opener_(std::move(opener)),
      workflow_(deliverable, desktop_, *opener_, std::move(programFolder)) {
  setObjectName(QStringLiteral("Form1"));
  FormLoad();
}

Form1::~Form1() = default;

template <typename Handler>
void Form1::Guarded(Handler&& handler) {
  try {
    std::forward<Handler>(handler)();
  } catch (const OperationFailure& failure) {
    desktop_.ShowMessageBox(FormatFailureReport(failure.failure()), kMbOk, kApplicationTitle);
  } catch (const std::exception& failure) {
    desktop_.ShowMessageBox(failure.what(), kMbOk, kApplicationTitle);
  }
}

void Form1::FormLoad() {
  setWindowTitle(FromUtf8(workflow_.Caption()));
  picture_ = QImage(QString::fromLatin1(kPictureResource));
  if (!picture_.isNull()) {
    // Sizes the window to the picture, paints it as the background and cuts the window to it.
    ShapeFormFromPicture(*this, picture_, keyColour_);
  }
  SetAlwaysOnTop(*this);
  setAcceptDrops(true);
  BuildMenu();
  if (workflow_.deliverable().showsVersionCaption) AddTessikLabels();
}

void Form1::BuildMenu() {
  mnu1_ = new QMenu(QStringLiteral("mnu"), this);
  mnu1_->setObjectName(QStringLiteral("mnu1"));
  const auto add = [this](const char* name, const char* caption, auto slot) {
    QAction* action = mnu1_->addAction(QString::fromUtf8(caption));
    action->setObjectName(QString::fromLatin1(name));
    connect(action, &QAction::triggered, this, [this, slot] { Guarded(slot); });
    return action;
  };
  add("mnuOpzioni", "Opzioni",
      [this] { ShowOptionsDialog(workflow_.deliverable(), workflow_.programFolder(), desktop_); });
  add("mnuInfo", "Info", [this] { workflow_.MnuInfoClick(); });
  mnu1_->addSeparator()->setObjectName(QStringLiteral("mnusep"));
  add("mnuOpenPath", "Apri Cartella di output", [this] { workflow_.MnuOpenPathClick(); });
  add("mnuSvuota", "Svuota cache", [this] { workflow_.MnuSvuotaClick(); });
  add("mnuExit", "Esci", [this] { close(); });
}

void Form1::AddTessikLabels() {
  auto* label4 = new QLabel(QStringLiteral("?"), this);
  label4->setObjectName(QStringLiteral("Label4"));
  label4->setGeometry(TwipsRect(675, 1050, 90, 195));
  label4->setAlignment(Qt::AlignCenter);
  QFont font = label4->font();
  font.setPixelSize(11);
  font.setBold(true);
  label4->setFont(font);
  label4->setToolTip(
      QString::fromUtf8("per la conversione Trascinare il file PDF all'interno dell'immagine"));
  // A plain label leaves presses to the window: it moves and shows its menu from the "?" too.

  auto* label1 = new CloseSpot(this, [this] { close(); });
  label1->setObjectName(QStringLiteral("Label1"));
  label1->setGeometry(TwipsRect(1005, 1065, 165, 165));
  label1->setToolTip(QString::fromUtf8("Chiudi il programma (doppio-click)"));
}

void Form1::mousePressEvent(QMouseEvent* event) {
  event->accept();
  // Only the left button moves a window; a press of another button starts no move.
  if (event->button() == Qt::LeftButton) {
    DragForm(*this, event->globalPosition().toPoint());
  }
  if (event->button() == Qt::RightButton) {
    // The chosen entry's handler runs before this handler returns.
    mnu1_->exec(event->globalPosition().toPoint());
  }
}

void Form1::closeEvent(QCloseEvent* event) {
  // A Yes ends the program inside FormQueryUnload; whatever returns here keeps the window.
  bool cancel = true;
  Guarded([this, &cancel] { cancel = workflow_.FormQueryUnload(); });
  if (cancel) {
    event->ignore();
  } else {
    event->accept();
  }
}

void Form1::FormOLEDragOver(QDragMoveEvent& event) {
  const DragData data = DragDataFromMime(*event.mimeData());
  unsigned effect = kDropEffectNone;
  Guarded([&] {
    effect = workflow_.FormOLEDragOver(data, DropEffectsFromActions(event.possibleActions()));
  });
  if (effect == kDropEffectCopy) {
    event.setDropAction(Qt::CopyAction);
    event.accept();
  } else {
    event.ignore();
  }
}

void Form1::dragEnterEvent(QDragEnterEvent* event) {
  FormOLEDragOver(*event);
}

void Form1::dragMoveEvent(QDragMoveEvent* event) {
  FormOLEDragOver(*event);
}

void Form1::dropEvent(QDropEvent* event) {
  const DragData data = DragDataFromMime(*event->mimeData());
  event->setDropAction(Qt::CopyAction);
  event->accept();
  // The conversion runs to its end inside this call.
  Guarded([&] { workflow_.FormOLEDragDrop(data); });
}

void MoveToStartPosition(QWidget& window) {
  QScreen* screen = window.screen() != nullptr ? window.screen() : QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QRect area = screen->availableGeometry();
  constexpr int kMargin = 48;
  const int x = std::max(area.left(), area.right() + 1 - window.width() - kMargin);
  const int y = std::min(area.bottom() + 1 - window.height(), area.top() + kMargin);
  window.move(x, std::max(area.top(), y));
}

}  // namespace droplet
