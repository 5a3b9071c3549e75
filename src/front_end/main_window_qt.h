#pragma once

#include <QImage>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/working_folders.h"
#include "files/document_opener.h"
#include "front_end/deliverable.h"
#include "front_end/desktop_services_qt.h"
#include "front_end/main_window.h"
#include "front_end/ui_model.h"
#include "front_end/window_view.h"
#include "settings/ini_settings.h"

class QCloseEvent;
class QContextMenuEvent;
class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;
class QKeyEvent;
class QLabel;
class QMenu;
class QMimeData;
class QMouseEvent;
class QPainter;
class QPaintEvent;
class QTimer;

namespace droplet {

// The resource path of each program's picture (its art library puts it there).
inline constexpr const char* kPictureResource = ":/droplet/picture.bmp";

// What a Qt drag carries, in the workflow's terms: a file list when every URL is a local file.
DragData DragDataFromMime(const QMimeData& mime);
// Qt's drop actions as drop-effect bits (copy 1, move 2, link 4).
unsigned DropEffectsFromActions(Qt::DropActions actions);

// Form1: the main window of either program. It shows the picture, cut to its outline and kept
// above ordinary windows; it forwards drops, menu commands and close requests to the workflow.
class Form1 : public QWidget {
  Q_OBJECT

 public:
  // The window of a program that works in `folders`.
  Form1(const Deliverable& deliverable, const WorkingFolders& folders,
        std::unique_ptr<DocumentOpener> opener = MakeSystemDocumentOpener(),
        QWidget* parent = nullptr);
  // A portable program's window: it works in its program folder.
  Form1(const Deliverable& deliverable, const std::string& programFolder,
        QWidget* parent = nullptr);
  // With an opener of the caller's (tests record what would have been opened).
  Form1(const Deliverable& deliverable, const std::string& programFolder,
        std::unique_ptr<DocumentOpener> opener, QWidget* parent = nullptr);
  ~Form1() override;

  MainWindowWorkflow& workflow() { return workflow_; }
  QMenu& mnu1() { return *mnu1_; }
  const QImage& picture() const { return picture_; }
  std::int32_t keyColour() const { return keyColour_; }
  // Where the progress bar shows during a run, in the window's pixels; empty when the picture
  // has no room for one.
  QRect progressBarRect() const;

  // Tells the user, once the event loop runs, when the converter cannot be found.
  void CheckConverterSoon();
  // Files handed to the program (its command line, a later start): handed over to the
  // workflow (MainWindowWorkflow::HandOverFiles). The window comes to the front.
  void OpenFiles(const std::vector<std::string>& paths);
  // Opens the pop-up menu as the context-menu key does, over the middle of the picture.
  void ShowMenuFromKeyboard();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void FormLoad();
  // The menu key and Shift+F10 ask for the menu; it opens from the event loop.
  void AskForMenuFromKeyboard();
  void BuildMenu();
  void AddWindowLabels();
  // Runs a command of the menu or a label; what the command means lies in RunWindowCommand.
  void RunCommand(WindowCommand command);
  // "Converti un PDF...": the file dialog, in the folder of the PDF chosen last.
  std::vector<std::string> ChoosePdfs();
  void FormOLEDragOver(QDragMoveEvent& event);
  // Shows what the window says of itself now (its tip, its accessible texts).
  void ShowWindowTexts(const RunProgress& progress);
  void ShowProgress(const RunProgress& progress);
  void PaintProgress(QPainter& painter) const;

  QtDesktopServices desktop_;
  std::unique_ptr<DocumentOpener> opener_;
  MainWindowWorkflow workflow_;
  QImage picture_;
  std::int32_t keyColour_ = 1;
  QMenu* mnu1_ = nullptr;
  WindowView view_;
  QString choiceFolder_;             // where the file dialog opens
  QTimer* progressTimer_ = nullptr;  // sweeps the bar while the page count is unknown
  int progressTick_ = 0;
  bool keyboardMenuAsked_ = false;
};

// A sensible first place for a droplet: near the top right corner of the available area of the
// screen it is on.
void MoveToStartPosition(QWidget& window);

}  // namespace droplet
