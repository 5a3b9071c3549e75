#include "front_end/main_window_qt.h"

#include <QAction>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <exception>
#include <functional>
#include <utility>

#include "common/failure.h"
#include "common/message_box.h"
#include "common/twips.h"
#include "settings/options_dialog_qt.h"
#include "shell/shaped_window_qt.h"
#include "shell/window_helpers_qt.h"

namespace droplet {
namespace {

QString FromUtf8(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QRect PixelRect(const TwipsRect& twips) {
  return QRect(TwipsToPixels(twips.left), TwipsToPixels(twips.top), TwipsToPixels(twips.width),
               TwipsToPixels(twips.height));
}

// A label that runs a command on a double click, such as Tessik's close spot Label1. A single
// press is taken (so it neither moves the window nor does anything else); other buttons pass on
// to the window, so the pop-up menu works on the label too.
class CommandLabel : public QLabel {
 public:
  CommandLabel(QWidget* parent, std::function<void()> onDoubleClick)
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

Form1::Form1(const Deliverable& deliverable, const std::string& programFolder, QWidget* parent)
    : Form1(deliverable, programFolder, MakeSystemDocumentOpener(), parent) {}

Form1::Form1(const Deliverable& deliverable, const std::string& programFolder,
             std::unique_ptr<DocumentOpener> opener, QWidget* parent)
    : Form1(deliverable, WorkingFolders{programFolder, programFolder, programFolder, false},
            std::move(opener), parent) {}

Form1::Form1(const Deliverable& deliverable, const WorkingFolders& folders,
             std::unique_ptr<DocumentOpener> opener, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      opener_(std::move(opener)),
      workflow_(deliverable, desktop_, *opener_, folders) {
  setObjectName(QStringLiteral("Form1"));
  desktop_.SetBusyWindow(this);
  FormLoad();
  progressTimer_ = new QTimer(this);
  progressTimer_->setInterval(40);
  connect(progressTimer_, &QTimer::timeout, this, [this] {
    progressTick_ += 2;
    update(progressBar_);
  });
  workflow_.SetProgressListener([this](const RunProgress& progress) { ShowProgress(progress); });
}

Form1::~Form1() = default;

template <typename Handler>
void Form1::Guarded(Handler&& handler) {
  ShowingFailures(desktop_, std::forward<Handler>(handler));
}

void Form1::FormLoad() {
  setWindowTitle(FromUtf8(workflow_.Caption()));
  picture_ = QImage(QString::fromLatin1(kPictureResource));
  std::vector<RunRect> opaqueRuns;
  if (!picture_.isNull()) {
    // Sizes the window to the picture, paints it as the background and cuts the window to it.
    opaqueRuns = ShapeFormFromPicture(*this, picture_, keyColour_);
  }
  SetAlwaysOnTop(*this);
  setAcceptDrops(true);
  // The keyboard reaches the window once it is active: its menu opens from the keyboard too.
  setFocusPolicy(Qt::StrongFocus);
  const WindowExtras& extras = workflow_.deliverable().window;
  setAccessibleName(FromUtf8(extras.accessibleName));
  setAccessibleDescription(FromUtf8(extras.accessibleDescription));
  BuildMenu();
  AddWindowLabels();
  PlaceProgressBar(opaqueRuns);
}

void Form1::CheckConverterSoon() {
  QTimer::singleShot(0, this, [this] { Guarded([this] { workflow_.CheckConverter(); }); });
}

void Form1::OpenFiles(const std::vector<std::string>& paths) {
  raise();
  activateWindow();
  // Handed over together, or by starts in quick succession, they are one batch.
  Guarded([&] { workflow_.HandOverFiles(paths); });
}

void Form1::PlaceProgressBar(const std::vector<RunRect>& opaqueRuns) {
  // The bar keeps clear of what lies on the picture (Tessik's labels).
  const qreal ratio = picture_.isNull() ? 1.0 : picture_.devicePixelRatio();
  std::vector<PictureRect> avoid;
  for (const QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (child->isWindow()) continue;
    const QRect r = child->geometry();
    avoid.push_back({static_cast<int>(r.left() * ratio), static_cast<int>(r.top() * ratio),
                     static_cast<int>(r.width() * ratio), static_cast<int>(r.height() * ratio)});
  }
  const auto place = ProgressBarPlace(opaqueRuns, picture_.width(), picture_.height(), avoid);
  if (!place) return;
  progressBar_ =
      QRect(static_cast<int>(place->left / ratio), static_cast<int>(place->top / ratio),
            static_cast<int>(place->width / ratio), static_cast<int>(place->height / ratio));
}

void Form1::ShowProgress(const RunProgress& progress) {
  const bool sweeping = progress.running && !progress.Determinate();
  if (sweeping && !progressTimer_->isActive()) progressTimer_->start();
  if (!sweeping) progressTimer_->stop();
  const QString description =
      progress.running ? QString::fromStdString(ProgressDescription(progress)) : QString();
  setToolTip(description);
  // During a run the progress is what there is to say; then the window's help again.
  setAccessibleDescription(progress.running
                               ? description
                               : FromUtf8(workflow_.deliverable().window.accessibleDescription));
  update(progressBar_);
}

void Form1::paintEvent(QPaintEvent* event) {
  QWidget::paintEvent(event);
  if (!workflow_.Running() || progressBar_.isEmpty()) return;
  QPainter painter(this);
  PaintProgress(painter);
}

// A dark frame on the picture, filled in white as the pages are done; the count is written
// across it in whichever colour stands out from what lies under each of its letters.
void Form1::PaintProgress(QPainter& painter) const {
  const RunProgress& progress = workflow_.Progress();
  const PictureRect bar{progressBar_.left(), progressBar_.top(), progressBar_.width(),
                        progressBar_.height()};
  const PictureRect fill = ProgressFill(bar, progress, progressTick_);
  const QRect filled(fill.left, fill.top, fill.width, fill.height);
  painter.setPen(QColor(0, 0, 0));
  painter.setBrush(QColor(35, 35, 35));
  painter.drawRect(progressBar_.adjusted(0, 0, -1, -1));
  painter.fillRect(filled, QColor(245, 245, 245));

  const QString count = QString::fromStdString(ProgressCount(progress));
  if (count.isEmpty()) return;
  QFont font = painter.font();
  font.setPixelSize(std::max(7, progressBar_.height() - 3));
  font.setBold(true);
  painter.setFont(font);
  const QRect inner = progressBar_.adjusted(1, 1, -1, -1);
  painter.save();
  painter.setClipRegion(QRegion(inner).subtracted(QRegion(filled)));
  painter.setPen(Qt::white);
  painter.drawText(inner, Qt::AlignCenter, count);
  painter.setClipRect(filled);
  painter.setPen(Qt::black);
  painter.drawText(inner, Qt::AlignCenter, count);
  painter.restore();
}

void Form1::BuildMenu() {
  mnu1_ = new QMenu(QString::fromUtf8(kPopupMenuCaption), this);
  mnu1_->setObjectName(QString::fromLatin1(kPopupMenuName));
  for (const MenuEntry& entry : PopupMenuEntries()) {
    QAction* action = IsSeparator(entry) ? mnu1_->addSeparator()
                                         : mnu1_->addAction(QString::fromUtf8(entry.caption));
    action->setObjectName(QString::fromLatin1(entry.name));
    if (IsSeparator(entry)) continue;
    connect(action, &QAction::triggered, this,
            [this, command = entry.command] { RunCommand(command); });
    // Each time the menu opens, the entries that cannot be chosen now are greyed.
    connect(mnu1_, &QMenu::aboutToShow, action, [this, action, &entry] {
      action->setEnabled(IsAvailable(entry, workflow_.Running()));
    });
  }
}

void Form1::RunCommand(WindowCommand command) {
  struct Requests : WindowRequests {
    explicit Requests(Form1& form) : form(form) {}
    void OpenOptionsDialog() override {
      ShowOptionsDialog(form.workflow_.deliverable().optionsForm, form.workflow_.settingsFile(),
                        form.desktop_);
    }
    void RequestClose() override { form.close(); }
    std::vector<std::string> ChoosePdfs() override { return form.ChoosePdfs(); }
    Form1& form;
  } requests(*this);
  Guarded([&] { RunWindowCommand(command, workflow_, requests); });
}

std::vector<std::string> Form1::ChoosePdfs() {
  if (choiceFolder_.isEmpty()) {
    choiceFolder_ = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!QFileInfo(choiceFolder_).isDir()) choiceFolder_ = QDir::homePath();
  }
  const QString filter = FromUtf8(kChoosePdfFilter) + QStringLiteral(" (") +
                         FromUtf8(kChoosePdfPattern) + QLatin1Char(')');
  const QStringList chosen =
      QFileDialog::getOpenFileNames(this, FromUtf8(kChoosePdfTitle), choiceFolder_, filter);
  if (chosen.isEmpty()) return {};
  choiceFolder_ = QFileInfo(chosen.front()).absolutePath();
  std::vector<std::string> paths;
  for (const QString& file : chosen) {
    const QByteArray path = file.toUtf8();
    paths.emplace_back(path.constData(), static_cast<size_t>(path.size()));
  }
  return paths;
}

void Form1::AddWindowLabels() {
  for (const WindowLabel& design : workflow_.deliverable().window.labels) {
    QLabel* label = nullptr;
    if (design.doubleClick == WindowCommand::kNone) {
      // A plain label leaves presses to the window: it moves and shows its menu from it too.
      label = new QLabel(this);
    } else {
      label = new CommandLabel(this, [this, command = design.doubleClick] { RunCommand(command); });
    }
    label->setObjectName(FromUtf8(design.name));
    label->setText(FromUtf8(design.text));
    label->setGeometry(PixelRect(design.place));
    label->setAlignment(Qt::AlignCenter);
    if (design.fontPixelSize > 0) {
      QFont font = label->font();
      font.setPixelSize(design.fontPixelSize);
      font.setBold(design.bold);
      label->setFont(font);
    }
    label->setToolTip(FromUtf8(design.toolTip));
  }
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

void Form1::ShowMenuFromKeyboard() {
  mnu1_->exec(mapToGlobal(rect().center()));
}

void Form1::keyPressEvent(QKeyEvent* event) {
  const bool shiftF10 = event->key() == Qt::Key_F10 &&
                        (event->modifiers() & ~Qt::KeypadModifier) == Qt::ShiftModifier;
  if (event->key() == Qt::Key_Menu || shiftF10) {
    event->accept();
    // A key held down (or a release that comes late on a busy desktop) repeats: the menu opens
    // once a press.
    if (!event->isAutoRepeat()) AskForMenuFromKeyboard();
    return;
  }
  QWidget::keyPressEvent(event);
}

void Form1::contextMenuEvent(QContextMenuEvent* event) {
  // The right button's press has shown the menu already; a keyboard's request has not.
  if (event->reason() == QContextMenuEvent::Keyboard) {
    event->accept();
    AskForMenuFromKeyboard();
  }
}

void Form1::AskForMenuFromKeyboard() {
  // X11 turns one press of the menu key into two events, a context-menu request and the key
  // press: had the first opened the menu at once, the second would open it again once the menu
  // had closed. The menu opens once both have been seen.
  if (keyboardMenuAsked_) return;
  keyboardMenuAsked_ = true;
  QTimer::singleShot(0, this, [this] {
    keyboardMenuAsked_ = false;
    ShowMenuFromKeyboard();
  });
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
  // Records the drop and returns, so the drag source is released before any box shows.
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
