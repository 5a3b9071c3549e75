#pragma once

// frmOption on Win32: the options dialog. Windows-only header.

#include <windows.h>

#include <string>

#include "common/desktop_services.h"
#include "settings/ini_settings.h"
#include "settings/options_form.h"

namespace droplet {

// Shows the options dialog designed by `form`, which loads and saves `settings`; Image1 shows
// the bitmap resource `pictureId` of `module`. The first call creates and loads it (modeless,
// no owner, not topmost); while it is open, further calls only bring it to the front.
void ShowOptionsDialog(const OptionsForm& form, const SettingsFile& settings,
                       DesktopServices& desktop, HINSTANCE module, int pictureId);

// The open options dialog, or null. The message loop hands it its keys (IsDialogMessage).
HWND CurrentOptionsDialog();

// Where the dialog placed the control named `name`, in its client pixels (empty when there is
// no such control). Drawn controls (the picture, the shape, the labels) have no window.
RECT OptionsControlRect(const std::string& name);
// The window of the control named `name`, or null for a drawn one.
HWND OptionsControlWindow(const std::string& name);
// The tool tip the control named `name` shows now (empty: none).
std::string OptionsControlTip(const std::string& name);

}  // namespace droplet
