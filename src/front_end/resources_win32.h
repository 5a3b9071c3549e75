#pragma once

// Resource identifiers of the Win32 programs, shared by their resource scripts and the code.
// Plain macros, since the resource compiler reads this file too.

#define DROPLET_ICON 1
#define DROPLET_PICTURE 101          // the main window's picture
#define DROPLET_OPTIONS_PICTURE 102  // Image1 of the options dialog
