#pragma once

#include <QDialog>
#include <string>

#include "common/desktop_services.h"
#include "settings/ini_settings.h"
#include "settings/options_form.h"

namespace droplet {

// Shows the options dialog designed by `form`, which loads and saves `settings`. The first call
// creates and loads it (modeless, no owner, not topmost); while it is open, further calls only
// bring it to the front.
void ShowOptionsDialog(const OptionsForm& form, const SettingsFile& settings,
                       DesktopServices& desktop);

// The open options dialog, or nullptr when there is none.
QDialog* CurrentOptionsDialog();

}  // namespace droplet
