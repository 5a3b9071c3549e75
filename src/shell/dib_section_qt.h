#pragma once

#include <QImage>

#include "shell/dib_section.h"

namespace droplet {

// Fills `dib` with `picture` converted to 24-bit blue-green-red, bottom-up rows. A null picture
// leaves `dib` empty.
void CreateFromPicture(cDIBSection& dib, const QImage& picture);

}  // namespace droplet
