#include "settings/options_dialog_qt.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QFont>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <charconv>
#include <optional>

#include "common/platform.h"
#include "files/file_operations.h"
#include "settings/ini_settings.h"
#include "shell/shaped_window_qt.h"

namespace droplet {

namespace {

// Positions are designed in twips; 15 twips make one pixel at 96 dots per inch.
constexpr int Px(int twips) {
  return twips / 15;
}
QRect TwipRect(int left, int top, int width, int height) {
  return QRect(Px(left), Px(top), Px(width), Px(height));
}

// Where the controls of one program's dialog lie, in twips.
struct DialogLayout {
  QSize client;
  QRect ckFolder, ckRun, command1, command2, ckRangePag, txtPagStart, txtPagEnd, check1;
  QRect image1, shape1;
  bool tessik;
};

DialogLayout OrvaneLayout() {
  DialogLayout l;
  l.client = QSize(Px(3885), Px(3930));
  l.ckFolder = TwipRect(210, 1620, 3120, 345);
  l.ckRun = TwipRect(210, 1875, 3195, 345);
  l.command1 = TwipRect(2430, 3315, 1215, 360);
  l.command2 = TwipRect(1155, 3315, 1215, 360);
  l.ckRangePag = TwipRect(210, 2775, 3195, 345);
  l.txtPagStart = TwipRect(2295, 2835, 435, 255);
  l.txtPagEnd = TwipRect(3135, 2835, 435, 255);
  l.check1 = TwipRect(210, 2160, 3195, 345);
  l.image1 = TwipRect(420, 135, 1320, 1455);
  l.shape1 = TwipRect(30, 30, 3795, 3855);
  l.tessik = false;
  return l;
}

DialogLayout TessikLayout() {
  DialogLayout l = OrvaneLayout();
  l.client = QSize(Px(3855), Px(3705));
  l.ckFolder.moveTop(Px(1680));
  l.ckRun.moveTop(Px(1935));
  l.check1.moveTop(Px(2220));
  l.ckRangePag.moveTop(Px(2535));
  l.txtPagStart.moveTop(Px(2595));
  l.txtPagEnd.moveTop(Px(2595));
  l.command1 = TwipRect(2625, 3015, 1065, 285);
  l.command2 = TwipRect(1515, 3030, 1065, 285);
  l.image1 = TwipRect(2100, 75, 1710, 1635);
  l.shape1 = TwipRect(30, 30, 3795, 3645);
  l.tessik = true;
  return l;
}

const char kAuthorCredit[] = " - a cura del gruppo Droplet";

// A check box that shows three states (0 clear, 1 ticked, 2 greyed) while a click only ever
// ticks or clears it.
class TriStateCheckBox : public QCheckBox {
 public:
  TriStateCheckBox(const QString& text, QWidget* parent) : QCheckBox(text, parent) {
    setTristate(true);
  }
  int State() const {
    switch (checkState()) {
      case Qt::Checked:
        return 1;
      case Qt::PartiallyChecked:
        return 2;
      default:
        return 0;
    }
  }
  // Draws the caption's text from `tailStart` on at `tailLeft` instead of where it falls, and
  // the blanks from `gapStart` not at all. The caption itself stays as it is.
  void SetSplitCaption(qsizetype gapStart, qsizetype tailStart, int tailLeft) {
    gapStart_ = gapStart;
    tailStart_ = tailStart;
    tailLeft_ = tailLeft;
    update();
  }
  void SetState(int state) {
    setCheckState(state == 1 ? Qt::Checked : state == 2 ? Qt::PartiallyChecked : Qt::Unchecked);
  }

 protected:
  void nextCheckState() override {
    setCheckState(checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
  }

  void paintEvent(QPaintEvent* event) override {
    if (tailLeft_ <= 0) {
      QCheckBox::paintEvent(event);
      return;
    }
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text = text().left(gapStart_);
    painter.drawControl(QStyle::CE_CheckBox, option);
    const QRect tail(tailLeft_, 0, width() - tailLeft_, height());
    style()->drawItemText(&painter, tail, Qt::AlignLeft | Qt::AlignVCenter, palette(), isEnabled(),
                          text().mid(tailStart_), QPalette::WindowText);
  }

 private:
  qsizetype gapStart_ = 0;
  qsizetype tailStart_ = 0;
  int tailLeft_ = 0;
};

// A stored check-box value: one of the whole numbers 0, 1 and 2, or nothing.
std::optional<int> CheckValue(const std::string& text) {
  int value = -1;
  const char* first = text.data();
  const char* last = first + text.size();
  if (first != last && *first == '+') ++first;
  const auto [end, error] = std::from_chars(first, last, value);
  if (first == last || error != std::errc() || end != last || value < 0 || value > 2) {
    return std::nullopt;
  }
  return value;
}

class FrmOption;
FrmOption* g_instance = nullptr;

class FrmOption : public QDialog {
 public:
  FrmOption(const Deliverable& deliverable, std::string programFolder, DesktopServices& desktop)
      : QDialog(nullptr),
        deliverable_(deliverable),
        programFolder_(std::move(programFolder)),
        desktop_(desktop),
        layout_(deliverable.shortName == "Tessik" ? TessikLayout() : OrvaneLayout()) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("frmOption"));
    setWindowTitle(QStringLiteral("Opzioni"));
    setFixedSize(layout_.client);
    BuildControls();
    FormLoad();
  }

  ~FrmOption() override {
    if (g_instance == this) g_instance = nullptr;
  }

 protected:
  void paintEvent(QPaintEvent* event) override {
    QDialog::paintEvent(event);
    // Shape1: a plain rectangle framing the dialog's surface.
    QPainter painter(this);
    painter.setPen(QPen(palette().color(QPalette::Mid), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(layout_.shape1.adjusted(0, 0, -1, -1));
  }

  // Form_MouseDown: any button pressed on the free surface moves the dialog.
  void mousePressEvent(QMouseEvent* event) override {
    DragForm(*this, event->globalPosition().toPoint());
    event->accept();
  }

  void closeEvent(QCloseEvent* event) override {
    Unload();
    QDialog::closeEvent(event);
  }

  void done(int result) override {
    Unload();
    QDialog::done(result);
  }

 private:
  void BuildControls() {
    const bool tessik = layout_.tessik;
    QFont checkFont(QStringLiteral("Verdana"));
    checkFont.setPointSizeF(8.25);
    checkFont.setWeight(QFont::Normal);
    QFont pageFont(QStringLiteral("MS Sans Serif"));
    pageFont.setPointSizeF(8.25);
    pageFont.setBold(true);

    auto makeBox = [&](const char* name, const QString& text, const QRect& where) {
      auto* box = new TriStateCheckBox(text, this);
      box->setObjectName(QString::fromLatin1(name));
      box->setFont(checkFont);
      box->setGeometry(where);
      return box;
    };
    auto makePage = [&](const char* name, const QRect& where) {
      auto* edit = new QLineEdit(QStringLiteral("1"), this);
      edit->setObjectName(QString::fromLatin1(name));
      edit->setFont(pageFont);
      edit->setGeometry(where);
      edit->setTextMargins(0, 0, 0, 0);
      return edit;
    };
    auto makeButton = [&](const char* name, const QString& text, const QRect& where) {
      auto* button = new QPushButton(text, this);
      button->setObjectName(QString::fromLatin1(name));
      button->setGeometry(where);
      button->setAutoDefault(false);
      return button;
    };

    image1_ = new QLabel(this);
    image1_->setObjectName(QStringLiteral("Image1"));
    image1_->setGeometry(layout_.image1);
    image1_->setPixmap(QPixmap(QStringLiteral(":/droplet/options.bmp")));
    image1_->setAttribute(Qt::WA_NoMousePropagation);

    ckFolder_ =
        makeBox("ckFolder", QStringLiteral("Apri cartella dopo elaborazione"), layout_.ckFolder);
    ckRun_ = makeBox("ckRun",
                     tessik ? QStringLiteral("Apri file txt dopo elaborazione")
                            : QStringLiteral("Eseguii Html dopo elaborazione"),
                     layout_.ckRun);
    command1_ = makeButton("Command1", QStringLiteral("Salva"), layout_.command1);
    command2_ = makeButton("Command2", QStringLiteral("Annulla"), layout_.command2);
    ckRangePag_ = makeBox("ckRangePag", QStringLiteral("Converti pagine da :         a :"),
                          layout_.ckRangePag);
    // The page boxes lie on the caption's line and must stay above it.
    txtPagStart_ = makePage("txtPagStart", layout_.txtPagStart);
    txtPagEnd_ = makePage("txtPagEnd", layout_.txtPagEnd);
    FitGapUnderFirstPageBox();
    check1_ = makeBox("Check1", QStringLiteral("Ignora immagini"), layout_.check1);

    ckFolder_->SetState(1);
    if (tessik) {
      check1_->setEnabled(false);
      ckRangePag_->setEnabled(false);
      const QString exe = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
      const Version& v = deliverable_.version;
      setWindowTitle(exe + QStringLiteral(" Version: (BETA) ") +
                     QStringLiteral("%1.%2.%3").arg(v.major).arg(v.minor).arg(v.revision) +
                     QString::fromUtf8(kAuthorCredit));
      AddLabel("Label3", QStringLiteral("www.tessik.example.org"), TwipRect(135, 270, 3135, 255),
               QColor(0, 0, 255));
      AddLabel("Label4", QStringLiteral("tessik@example.org"), TwipRect(135, 465, 2655, 255),
               QColor(0, 0, 255));
      AddLabel("Label2", QStringLiteral("a cura del gruppo Droplet"),
               TwipRect(300, 3405, 3285, 195), QColor(128, 128, 128));
    }
    txtPagStart_->raise();
    txtPagEnd_->raise();

    setTabOrder(ckFolder_, ckRun_);
    setTabOrder(ckRun_, command1_);
    setTabOrder(command1_, command2_);
    setTabOrder(command2_, ckRangePag_);
    setTabOrder(ckRangePag_, txtPagStart_);
    setTabOrder(txtPagStart_, txtPagEnd_);
    setTabOrder(txtPagEnd_, check1_);

    connect(command1_, &QPushButton::clicked, this, [this] { Command1Click(); });
    connect(command2_, &QPushButton::clicked, this, [this] { Command2Click(); });
  }

  // The blanks of the page-range caption leave a gap for the first page box, with "a :" after
  // it. Fonts and check-box styles differ in width; where "a :" would fall under the box, the
  // box draws it after the page box instead.
  void FitGapUnderFirstPageBox() {
    const QString caption = ckRangePag_->text();
    const qsizetype gapStart = caption.indexOf(QStringLiteral(":  ")) + 1;
    qsizetype tailStart = gapStart;
    while (tailStart < caption.size() && caption[tailStart] == QLatin1Char(' ')) ++tailStart;
    if (gapStart <= 0 || tailStart >= caption.size()) return;
    QStyleOptionButton option;
    option.initFrom(ckRangePag_);
    const int textLeft = ckRangePag_->style()
                             ->subElementRect(QStyle::SE_CheckBoxContents, &option, ckRangePag_)
                             .left();
    const int natural =
        textLeft + QFontMetrics(ckRangePag_->font()).horizontalAdvance(caption.left(tailStart));
    const int wanted = txtPagStart_->geometry().right() + 1 + 4 - ckRangePag_->x();
    if (natural < wanted) ckRangePag_->SetSplitCaption(gapStart, tailStart, wanted);
  }

  void AddLabel(const char* name, const QString& text, const QRect& where, const QColor& colour) {
    auto* label = new QLabel(text, this);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(where);
    label->setTextInteractionFlags(Qt::NoTextInteraction);
    QFont font(QStringLiteral("Verdana"));
    font.setPointSizeF(8.25);
    label->setFont(font);
    label->setAttribute(Qt::WA_NoMousePropagation);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
  }

  // Form_Load: the dialog has no background picture of its own, so it is not shaped.
  void FormLoad() {
    if (!FileExists(programFolder_ + Sep() + deliverable_.iniExistenceName, desktop_)) return;
    LoadCheck(*ckFolder_, "Folders", "open");
    LoadCheck(*ckRun_, "Folders", "run");
    LoadCheck(*ckRangePag_, "Range", "Active");
    txtPagStart_->setText(QString::fromStdString(Read("Range", "Start")));
    txtPagEnd_->setText(QString::fromStdString(Read("Range", "End")));
  }

  std::string Read(const char* section, const char* key) {
    return ReadIniValue(programFolder_, deliverable_, section, key);
  }

  // A value other than 0, 1 or 2 leaves the box in its initial state.
  void LoadCheck(TriStateCheckBox& box, const char* section, const char* key) {
    if (const std::optional<int> value = CheckValue(Read(section, key))) box.SetState(*value);
  }

  void Write(const char* section, const char* key, const std::string& value) {
    WriteIniValue(programFolder_, deliverable_, section, key, value);
  }

  // "Salva": the five values in order, then the dialog goes.
  void Command1Click() {
    Write("Folders", "open", std::to_string(ckFolder_->State()));
    Write("Folders", "run", std::to_string(ckRun_->State()));
    Write("Range", "Active", std::to_string(ckRangePag_->State()));
    Write("Range", "Start", txtPagStart_->text().toStdString());
    Write("Range", "End", txtPagEnd_->text().toStdString());
    close();
  }

  // "Annulla": the dialog goes and nothing is written.
  void Command2Click() { close(); }

  void Unload() {
    if (g_instance == this) g_instance = nullptr;
  }

  const Deliverable& deliverable_;
  std::string programFolder_;
  DesktopServices& desktop_;
  DialogLayout layout_;
  TriStateCheckBox* ckFolder_ = nullptr;
  TriStateCheckBox* ckRun_ = nullptr;
  TriStateCheckBox* ckRangePag_ = nullptr;
  TriStateCheckBox* check1_ = nullptr;
  QLineEdit* txtPagStart_ = nullptr;
  QLineEdit* txtPagEnd_ = nullptr;
  QPushButton* command1_ = nullptr;
  QPushButton* command2_ = nullptr;
  QLabel* image1_ = nullptr;
};

}  // namespace

void ShowOptionsDialog(const Deliverable& deliverable, const std::string& programFolder,
                       DesktopServices& desktop) {
  if (g_instance == nullptr) {
    g_instance = new FrmOption(deliverable, programFolder, desktop);
    g_instance->show();
  } else if (g_instance->isMinimized()) {
    g_instance->showNormal();
  }
  g_instance->raise();
  g_instance->activateWindow();
}

QDialog* CurrentOptionsDialog() {
  return g_instance;
}

}  // namespace droplet
