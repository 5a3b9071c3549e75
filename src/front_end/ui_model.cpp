#include "front_end/ui_model.h"

#include <string>

#include "front_end/main_window.h"

namespace droplet {

namespace {

constexpr MenuEntry kPopupMenu[] = {
    {"mnuOpzioni", "Opzioni", WindowCommand::kOptions},
    {"mnuInfo", "Info", WindowCommand::kInfo},
    {"mnusep", "-", WindowCommand::kNone},
    {"mnuOpenPath", "Apri Cartella di output", WindowCommand::kOpenOutputFolder},
    {"mnuSvuota", "Svuota cache", WindowCommand::kEmptyCache},
    {"mnuConverti", "Converti un PDF...", WindowCommand::kConvertPdf, MenuAvailability::kWhenIdle},
    {"mnuInterrompi", "Interrompi conversione", WindowCommand::kStopRun,
     MenuAvailability::kWhileRunning},
    {"mnuExit", "Esci", WindowCommand::kExit},
};

}  // namespace

std::span<const MenuEntry> PopupMenuEntries() {
  return kPopupMenu;
}

bool IsSeparator(const MenuEntry& entry) {
  return entry.command == WindowCommand::kNone;
}

bool IsAvailable(const MenuEntry& entry, bool runInProgress) {
  switch (entry.availability) {
    case MenuAvailability::kAlways:
      return true;
    case MenuAvailability::kWhileRunning:
      return runInProgress;
    case MenuAvailability::kWhenIdle:
      return !runInProgress;
  }
  return true;
}

void RunWindowCommand(WindowCommand command, MainWindowWorkflow& workflow, WindowRequests& window) {
  switch (command) {
    case WindowCommand::kNone:
      return;
    case WindowCommand::kOptions:
      window.OpenOptionsDialog();
      return;
    case WindowCommand::kInfo:
      workflow.MnuInfoClick();
      return;
    case WindowCommand::kOpenOutputFolder:
      workflow.MnuOpenPathClick();
      return;
    case WindowCommand::kEmptyCache:
      workflow.MnuSvuotaClick();
      return;
    case WindowCommand::kConvertPdf: {
      const std::vector<std::string> paths = window.ChoosePdfs();
      if (!paths.empty()) workflow.HandleFiles(paths);
      return;
    }
    case WindowCommand::kStopRun:
      workflow.MnuInterrompiClick();
      return;
    case WindowCommand::kExit:
      window.RequestClose();
      return;
  }
}

}  // namespace droplet
