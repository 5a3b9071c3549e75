#pragma once

#include <QRect>
#include <QWidget>
#include <string>

#include "common/desktop_services.h"
#include "common/twips.h"
#include "shell/box_position.h"

namespace droplet {

// Rectangles between the portable code's terms and Qt's.
inline QRect ToQRect(const PixelRect& rect) {
  return QRect(rect.left, rect.top, rect.width, rect.height);
}
inline ScreenRect ToScreenRect(const QRect& rect) {
  return ScreenRect{rect.left(), rect.top(), rect.left() + rect.width(),
                    rect.top() + rect.height()};
}

// Puts `window` in the topmost layer without moving or resizing it; a shown window stays shown.
void SetAlwaysOnTop(QWidget& window);

// Shows a modal message box for the style words of common/message_box.h and returns kIdOk,
// kIdYes or kIdNo (a box closed without a button: kIdNo for Yes/No boxes, kIdOk otherwise).
// The application's title is the application's name; a title of the box's own is kept as it
// is, an empty one too (whatever a window manager then shows); CR, LF and CR LF break lines. The
// box is raised above our topmost windows. A placed box is moved with ComputeBoxPosition before it
// is shown: on its owner (the active window or else our topmost shown window) or on the work area.
int ShowStyledMessageBox(const std::string& text, unsigned style, const BoxTitle& title,
                         BoxPlacement placement);

// A message box placed over its owner (or the work area) before it is shown.
int CenteredMessageBox(const std::string& text, unsigned style, const std::string& title,
                       bool centerOnOwner);

}  // namespace droplet
