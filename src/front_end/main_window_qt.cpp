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
#include "settings/options_dialog_qt.h"
#include "shell/dib_section.h"
#include "shell/dib_section_qt.h"
#include "shell/shaped_window_qt.h"
#include "shell/window_helpers_qt.h"

namespace droplet {
namespace {

QString FromUtf8(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QColor ToQColor(const Rgb& colour) {
  return QColor(colour.red, colour.green, colour.blue);
}

// The picture as designed, one of its pixels a device-independent pixel, with `runs`, the opaque
// runs of `picture`. A picture drawn for a finer screen is taken at its design size (to the
// nearest pixels, which keeps the key colour exact).
PictureShape DesignShape(const QImage& picture, std::vector<RunRect> runs, std::int32_t key) {
  if (picture.isNull() || picture.devicePixelRatio() == 1.0) {
    return {picture.width(), picture.height(), std::move(runs)};
  }
  cDIBSection dib;
  CreateFromPicture(dib, picture.scaled(picture.deviceIndependentSize().toSize(),
                                        Qt::IgnoreAspectRatio, Qt::FastTransformation));
  return {dib.Width(), dib.Height(),
          CollectOpaqueRuns(dib.DIBSectionBitsPtr(), dib.BytesPerScanLine(), dib.Width(),
                            dib.Height(), key, 0, 0)};
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
  progressTimer_->setInterval(kSweepMilliseconds);
  connect(progressTimer_, &QTimer::timeout, this, [this] {
    progressTick_ += kSweepStep;
    update(progressBarRect());
  });
  workflow_.SetProgressListener([this](const RunProgress& progress) { ShowProgress(progress); });
}

Form1::~Form1() = default;

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
  // Qt lays windows out in device-independent pixels, which are the design's: it scales them to
  // the screen itself.
  view_ = ComputeWindowView(workflow_.deliverable().window,
                            DesignShape(picture_, std::move(opaqueRuns), keyColour_), 1.0);
  ShowWindowTexts(RunProgress{});
  BuildMenu();
  AddWindowLabels();
}

QRect Form1::progressBarRect() const {
  return ToQRect(view_.progressBar);
}

void Form1::CheckConverterSoon() {
  QTimer::singleShot(0, this, [this] {
    ShowingFailures(desktop_, workflow_.deliverable().shortName,
                    [this] { workflow_.CheckConverter(); });
  });
}

void Form1::OpenFiles(const std::vector<std::string>& paths) {
  raise();
  activateWindow();
  // Handed over together, or by starts in quick succession, they are one batch.
  ShowingFailures(desktop_, workflow_.deliverable().shortName,
                  [&] { workflow_.HandOverFiles(paths); });
}

void Form1::ShowProgress(const RunProgress& progress) {
  if (!Sweeps(progress)) {
    progressTimer_->stop();
  } else if (!progressTimer_->isActive()) {
    progressTimer_->start();
  }
  ShowWindowTexts(progress);
  update(progressBarRect());
}

void Form1::ShowWindowTexts(const RunProgress& progress) {
  const WindowTexts texts = WindowTextsFor(workflow_.deliverable().window, progress);
  setAccessibleName(FromUtf8(texts.accessibleName));
  setAccessibleDescription(FromUtf8(texts.accessibleDescription));
  setToolTip(FromUtf8(texts.toolTip));
}

void Form1::paintEvent(QPaintEvent* event) {
  QWidget::paintEvent(event);
  if (!workflow_.Running() || view_.progressBar.empty()) return;
  QPainter painter(this);
  PaintProgress(painter);
}

void Form1::PaintProgress(QPainter& painter) const {
  const ProgressPaint paint = PaintOfProgress(view_, workflow_.Progress(), progressTick_);
  const ProgressBarLook& look = kProgressBarLook;
  const QRect filled = ToQRect(paint.filled);
  painter.setPen(ToQColor(look.frame));
  painter.setBrush(ToQColor(look.field));
  painter.drawRect(ToQRect(paint.bar).adjusted(0, 0, -1, -1));
  painter.fillRect(filled, ToQColor(look.done));
  if (paint.count.empty()) return;

  QFont font = painter.font();
  font.setPixelSize(paint.fontPixelSize);
  font.setBold(true);
  painter.setFont(font);
  const QRect textArea = ToQRect(paint.textArea);
  const QString count = FromUtf8(paint.count);
  painter.save();
  painter.setClipRegion(QRegion(textArea).subtracted(QRegion(filled)));
  painter.setPen(ToQColor(look.textOnField));
  painter.drawText(textArea, Qt::AlignCenter, count);
  painter.setClipRect(filled);
  painter.setPen(ToQColor(look.textOnDone));
  painter.drawText(textArea, Qt::AlignCenter, count);
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
  ShowingFailures(desktop_, workflow_.deliverable().shortName,
                  [&] { RunWindowCommand(command, workflow_, requests); });
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
  for (const LabelView& shown : view_.labels) {
    const WindowLabel& design = shown.design;
    QLabel* label = nullptr;
    if (design.doubleClick == WindowCommand::kNone) {
      // A plain label leaves presses to the window: it moves and shows its menu from it too.
      label = new QLabel(this);
    } else {
      label = new CommandLabel(this, [this, command = design.doubleClick] { RunCommand(command); });
    }
    label->setObjectName(FromUtf8(design.name));
    label->setText(FromUtf8(design.text));
    label->setGeometry(ToQRect(shown.place));
    label->setAlignment(Qt::AlignCenter);
    QFont font = label->font();
    font.setPixelSize(shown.fontPixelSize);
    font.setBold(design.bold);
    label->setFont(font);
    label->setToolTip(FromUtf8(design.toolTip));
  }
}

void Form1::mousePressEvent(QMouseEvent* event) {
  event->accept();
  const QPoint at = event->globalPosition().toPoint();
  // The right button opens the menu where it was pressed (the chosen entry's handler runs
  // before this handler returns); any other button moves the window.
  if (event->button() == Qt::RightButton) {
    mnu1_->exec(at);
  } else {
    DragForm(*this, at, event->button());
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
  ShowingFailures(desktop_, workflow_.deliverable().shortName,
                  [this, &cancel] { cancel = workflow_.FormQueryUnload(); });
  if (cancel) {
    event->ignore();
  } else {
    event->accept();
  }
}

void Form1::FormOLEDragOver(QDragMoveEvent& event) {
  const DragData data = DragDataFromMime(*event.mimeData());
  unsigned effect = kDropEffectNone;
  ShowingFailures(desktop_, workflow_.deliverable().shortName, [&] {
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
  ShowingFailures(desktop_, workflow_.deliverable().shortName,
                  [&] { workflow_.FormOLEDragDrop(data); });
}

void MoveToStartPosition(QWidget& window) {
  QScreen* screen = window.screen() != nullptr ? window.screen() : QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  // In device-independent pixels, the design's: the margin is not scaled.
  const ScreenPoint at = StartPosition(window.width(), window.height(),
                                       ToScreenRect(screen->availableGeometry()), 1.0);
  window.move(at.x, at.y);
}

}  // namespace droplet
