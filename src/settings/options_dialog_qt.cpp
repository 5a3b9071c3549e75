#include "settings/options_dialog_qt.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <algorithm>
#include <map>
#include <string>
#include <string_view>
#include <utility>

#include "common/twips.h"
#include "settings/options_form.h"
#include "shell/shaped_window_qt.h"
#include "shell/window_helpers_qt.h"

namespace droplet {

namespace {

QRect PixelRect(const TwipsRect& twips) {
  return ToQRect(TwipsToPixels(twips));
}

QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// How a check box shows each stored state, indexed by kCheckClear, kCheckTicked, kCheckGreyed.
constexpr Qt::CheckState kShownCheckStates[] = {Qt::Unchecked, Qt::Checked, Qt::PartiallyChecked};

// A check box that shows three states while a click only ever ticks or clears it.
class TriStateCheckBox : public QCheckBox {
 public:
  TriStateCheckBox(const QString& text, QWidget* parent) : QCheckBox(text, parent) {
    setTristate(true);
  }
  int State() const {
    for (int state = kCheckClear; state <= kCheckGreyed; ++state) {
      if (kShownCheckStates[state] == checkState()) return state;
    }
    return kCheckClear;
  }
  // Draws `head` beside the box and `tail` in `tailPlace` (the box's own pixels) instead of
  // the caption, which itself stays as it is.
  void SetSplitCaption(const QString& head, const QString& tail, const QRect& tailPlace) {
    head_ = head;
    tail_ = tail;
    tailPlace_ = tailPlace;
    update();
  }
  void SetState(int state) {
    const bool known = state >= kCheckClear && state <= kCheckGreyed;
    setCheckState(kShownCheckStates[known ? state : kCheckClear]);
  }

 protected:
  void nextCheckState() override {
    setCheckState(checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
  }

  void paintEvent(QPaintEvent* event) override {
    if (tailPlace_.isEmpty()) {
      QCheckBox::paintEvent(event);
      return;
    }
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text = head_;
    painter.drawControl(QStyle::CE_CheckBox, option);
    style()->drawItemText(&painter, tailPlace_, Qt::AlignLeft | Qt::AlignVCenter, palette(),
                          isEnabled(), tail_, QPalette::WindowText);
  }

 private:
  QString head_;
  QString tail_;
  QRect tailPlace_;
};

class FrmOption;
FrmOption* g_instance = nullptr;

class FrmOption : public QDialog {
 public:
  FrmOption(OptionsForm form, SettingsFile settings, DesktopServices& desktop)
      : QDialog(nullptr), form_(std::move(form)), store_(std::move(settings), desktop) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("frmOption"));
    setWindowTitle(FromUtf8(form_.title));
    setAccessibleName(FromUtf8(form_.accessibleName));
    setAccessibleDescription(FromUtf8(form_.accessibleDescription));
    setFixedSize(TwipsToPixels(form_.clientWidth), TwipsToPixels(form_.clientHeight));
    BuildControls();
    FormLoad();
    FollowChanges();
    ShowNotices();
  }

  ~FrmOption() override {
    if (g_instance == this) g_instance = nullptr;
  }

 protected:
  void paintEvent(QPaintEvent* event) override {
    QDialog::paintEvent(event);
    // The design's shapes: plain rectangles on the dialog's surface.
    QPainter painter(this);
    painter.setPen(QPen(palette().color(QPalette::Mid), 1));
    painter.setBrush(Qt::NoBrush);
    for (const FormControl& control : form_.controls) {
      if (control.kind != FormControlKind::kShape) continue;
      painter.drawRect(PixelRect(control.place).adjusted(0, 0, -1, -1));
    }
  }

  // Form_MouseDown: any button pressed on the free surface moves the dialog.
  void mousePressEvent(QMouseEvent* event) override {
    DragForm(*this, event->globalPosition().toPoint(), event->button());
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
    for (const FormControl& control : form_.controls) {
      QWidget* widget = CreateControl(control);
      if (widget == nullptr) continue;
      widget->setObjectName(FromUtf8(control.name));
      widget->setGeometry(PixelRect(control.place));
      widget->setEnabled(control.enabled);
      if (!control.accessibleName.empty())
        widget->setAccessibleName(FromUtf8(control.accessibleName));
      if (!control.font.face.empty()) {
        QFont font(FromUtf8(control.font.face));
        font.setPointSizeF(control.font.points);
        font.setBold(control.font.bold);
        widget->setFont(font);
      }
      controls_[control.name] = widget;
      designPalettes_[control.name] = widget->palette();
    }
    ShowSplitCaptions();
    // Text boxes may lie on a check box's caption line and must stay above it.
    for (const FormControl& control : form_.controls) {
      if (control.kind == FormControlKind::kTextBox) controls_.at(control.name)->raise();
    }
    const std::vector<const FormControl*> order = TabOrder(form_);
    for (std::size_t i = 0; i + 1 < order.size(); ++i) {
      setTabOrder(controls_.at(order[i]->name), controls_.at(order[i + 1]->name));
    }
  }

  QWidget* CreateControl(const FormControl& control) {
    const QString caption = FromUtf8(control.caption);
    switch (control.kind) {
      case FormControlKind::kCheckBox:
        return new TriStateCheckBox(caption, this);
      case FormControlKind::kTextBox: {
        auto* edit = new QLineEdit(this);
        edit->setTextMargins(0, 0, 0, 0);
        return edit;
      }
      case FormControlKind::kButton: {
        auto* button = new QPushButton(caption, this);
        button->setAutoDefault(false);
        const FormButtonAction action = control.action;
        connect(button, &QPushButton::clicked, this, [this, action] { ButtonClick(action); });
        return button;
      }
      case FormControlKind::kPicture: {
        auto* picture = new QLabel(this);
        picture->setPixmap(QPixmap(QStringLiteral(":/droplet/options.bmp")));
        picture->setAttribute(Qt::WA_NoMousePropagation);
        return picture;
      }
      case FormControlKind::kLabel: {
        // Plain text that reacts to no click and does not move the dialog either.
        auto* label = new QLabel(caption, this);
        label->setTextInteractionFlags(Qt::NoTextInteraction);
        label->setAttribute(Qt::WA_NoMousePropagation);
        if (control.textColour) {
          QPalette palette = label->palette();
          const Rgb& c = *control.textColour;
          palette.setColor(QPalette::WindowText, QColor(c.red, c.green, c.blue));
          label->setPalette(palette);
        }
        return label;
      }
      case FormControlKind::kShape:
        return nullptr;  // drawn by paintEvent
    }
    return nullptr;
  }

  TriStateCheckBox& Check(std::string_view name) const {
    return static_cast<TriStateCheckBox&>(*controls_.at(std::string(name)));
  }
  QLineEdit& Text(std::string_view name) const {
    return static_cast<QLineEdit&>(*controls_.at(std::string(name)));
  }

  // A check box whose caption is split around a text box on its line draws the caption's head
  // beside the box and its tail after the text box, as the form places them; the text box lies
  // above the check box (BuildControls raises it).
  void ShowSplitCaptions() {
    for (const FormControl& control : form_.controls) {
      if (!control.splitCaption) continue;
      const SplitCaption& split = *control.splitCaption;
      TriStateCheckBox& box = Check(control.name);
      box.SetSplitCaption(FromUtf8(split.head), FromUtf8(split.tail),
                          PixelRect(split.tailPlace).translated(-box.pos()));
    }
  }

  // Form_Load: the dialog has no background picture of its own, so it is not shaped.
  void FormLoad() {
    Show(LoadOptionsForm(store_));
    setWindowTitle(FromUtf8(LoadedTitle(
        form_,
        QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName().toStdString())));
  }

  void Show(const OptionsFormState& state) {
    for (const FormSetting& setting : FormSettings()) {
      if (setting.check != nullptr) {
        Check(setting.control).SetState(state.*setting.check);
      } else {
        Text(setting.control).setText(QString::fromStdString(state.*setting.text));
      }
    }
  }

  OptionsFormState Shown() const {
    OptionsFormState state;
    for (const FormSetting& setting : FormSettings()) {
      if (setting.check != nullptr) {
        state.*setting.check = Check(setting.control).State();
      } else {
        state.*setting.text = Text(setting.control).text().toStdString();
      }
    }
    return state;
  }

  // Every change of a shown value brings the notes up to date.
  void FollowChanges() {
    for (const FormSetting& setting : FormSettings()) {
      if (setting.check != nullptr) {
        connect(&Check(setting.control), &QCheckBox::stateChanged, this, [this] { ShowNotices(); });
      } else {
        connect(&Text(setting.control), &QLineEdit::textChanged, this, [this] { ShowNotices(); });
      }
    }
  }

  // What the values shown now mean for the next run, on the controls that show them: a tool
  // tip, and a tinted background where the run will not follow the value as shown.
  void ShowNotices() {
    const std::vector<ControlNotice> notices = FormNotices(form_, Shown(), store_.UnreadableFile());
    for (const FormSetting& setting : FormSettings()) {
      QWidget& widget = *controls_.at(std::string(setting.control));
      const auto notice = std::find_if(
          notices.begin(), notices.end(),
          [&](const ControlNotice& candidate) { return candidate.control == setting.control; });
      const QString text = notice == notices.end() ? QString() : FromUtf8(notice->text);
      // As rich text, the tool tip wraps its sentence instead of running off the screen.
      widget.setToolTip(text.isEmpty() ? text : "<p>" + text.toHtmlEscaped() + "</p>");
      widget.setAccessibleDescription(text);
      QPalette palette = designPalettes_.at(std::string(setting.control));
      if (notice != notices.end() && notice->kind == NoticeKind::kFault) {
        const Rgb& c = kFaultBackground;
        palette.setColor(QPalette::Base, QColor(c.red, c.green, c.blue));
      }
      widget.setPalette(palette);
    }
  }

  // Command1_Click ("Salva") writes the shown values, then the dialog goes; Command2_Click
  // ("Annulla") only closes it.
  void ButtonClick(FormButtonAction action) {
    switch (action) {
      case FormButtonAction::kSave:
        SaveOptionsForm(Shown(), store_);
        close();
        return;
      case FormButtonAction::kCancel:
        close();
        return;
      case FormButtonAction::kNone:
        return;
    }
  }

  void Unload() {
    if (g_instance == this) g_instance = nullptr;
  }

  const OptionsForm form_;
  IniSettingsStore store_;
  std::map<std::string, QWidget*> controls_;
  std::map<std::string, QPalette> designPalettes_;  // each control's palette without a note
};

}  // namespace

void ShowOptionsDialog(const OptionsForm& form, const SettingsFile& settings,
                       DesktopServices& desktop) {
  if (g_instance == nullptr) {
    g_instance = new FrmOption(form, settings, desktop);
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
