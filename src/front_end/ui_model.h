#pragma once

#include <span>
#include <string>
#include <vector>

#include "common/desktop_services.h"
#include "common/message_box.h"
#include "common/twips.h"

// What both GUIs of the main window show the same way: the pop-up menu as a table, the commands
// its entries and the window's labels run, and each program's window extras as data. A GUI
// creates what these list and hands every choice back through RunWindowCommand.

namespace droplet {

class MainWindowWorkflow;

// What a menu entry or a label of the main window asks for.
enum class WindowCommand {
  kNone,  // a separator
  kOptions,
  kInfo,
  kOpenOutputFolder,
  kEmptyCache,
  kConvertPdf,  // choose a PDF in the platform's file dialog and convert it as if dropped
  kStopRun,
  kExit,
};

// When an entry can be chosen. The GUI applies it each time the menu opens.
enum class MenuAvailability {
  kAlways,
  kWhileRunning,  // only while a conversion runs
  kWhenIdle,      // only while none runs, as a drop is refused then
};

struct MenuEntry {
  const char* name;     // "mnuOpzioni", ...; "mnusep" for the separator
  const char* caption;  // "-" for a separator
  WindowCommand command;
  MenuAvailability availability = MenuAvailability::kAlways;
};

// The pop-up menu mnu1; its caption is never shown, since the menu is never a menu bar.
inline constexpr const char* kPopupMenuName = "mnu1";
inline constexpr const char* kPopupMenuCaption = "mnu";

// The entries of mnu1, top to bottom.
std::span<const MenuEntry> PopupMenuEntries();

bool IsSeparator(const MenuEntry& entry);

// Whether `entry` can be chosen now.
bool IsAvailable(const MenuEntry& entry, bool runInProgress);

// What a command asks of the window itself rather than of the workflow.
class WindowRequests {
 public:
  // Creates the one options dialog or brings it forward.
  virtual void OpenOptionsDialog() = 0;
  // Asks the window to unload: its close handler asks whether to quit.
  virtual void RequestClose() = 0;
  // Lets the user choose one PDF or several in the platform's file dialog; none when the dialog
  // was cancelled.
  virtual std::vector<std::string> ChoosePdfs() = 0;

 protected:
  ~WindowRequests() = default;
};

// The one place that says what each command does.
void RunWindowCommand(WindowCommand command, MainWindowWorkflow& workflow, WindowRequests& window);

// A label placed on the main window's picture.
struct WindowLabel {
  std::string name;  // "Label4", ...
  std::string text;  // drawn centred
  TwipsRect place;
  int fontPixelSize = 0;  // 0: the window's own font
  bool bold = false;
  std::string toolTip;
  // A label with a command takes the left button's presses and runs the command on a double
  // click; a label without one leaves every press to the window (moving it, its menu).
  WindowCommand doubleClick = WindowCommand::kNone;
};

// What a program adds to the bare picture window.
struct WindowExtras {
  std::string caption;  // set while loading; empty for none
  std::vector<WindowLabel> labels;
  // What assistive technologies (screen readers) say of the window: its name, and how to use
  // it from the keyboard.
  std::string accessibleName;
  std::string accessibleDescription;
};

// How the main window is used from the keyboard, as assistive technologies tell it.
inline constexpr const char* kWindowKeyboardHelp =
    "Il menu si apre con il tasto Menu o con Maiusc+F10; la voce Converti un PDF... sceglie il "
    "file da convertire senza trascinarlo.";

// The file dialog of "Converti un PDF...": its title and the description of its filter.
inline constexpr const char* kChoosePdfTitle = "Converti un PDF";
inline constexpr const char* kChoosePdfFilter = "Documenti PDF";
inline constexpr const char* kChoosePdfPattern = "*.pdf";

}  // namespace droplet
