#pragma once

#include <QDialog>
#include <string>

#include "common/desktop_services.h"
#include "front_end/deliverable.h"

namespace droplet {

// Shows the options dialog of `deliverable`, whose settings file lies in `programFolder`. The
// first call creates and loads it (modeless, no owner, not topmost); while it is open, further
// calls only bring it to the front.
void ShowOptionsDialog(const Deliverable& deliverable, const std::string& programFolder,
                       DesktopServices& desktop);

// The open options dialog, or nullptr when there is none.
QDialog* CurrentOptionsDialog();

}  // namespace droplet
