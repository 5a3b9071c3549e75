#pragma once

#include <QWidget>
#include <optional>
#include <string>

namespace droplet {

// Puts `window` in the topmost layer without moving or resizing it; a shown window stays shown.
void SetAlwaysOnTop(QWidget& window);

// Shows a modal message box for the style words of common/message_box.h and returns kIdOk,
// kIdYes or kIdNo (a box closed without a button: kIdNo for Yes/No boxes, kIdOk otherwise).
// An empty title stands for the application's name; CR, LF and CR LF break lines. The
// box is raised above our topmost windows. With `centerOnOwner` set, the box is placed with
// ComputeBoxPosition: on its owner, the active window or else our topmost shown window (true),
// or on the screen's work area (false).
int ShowStyledMessageBox(const std::string& text, unsigned style, const std::string& title,
                         std::optional<bool> centerOnOwner);

// A message box placed over its owner (or the work area) before it is shown.
int CenteredMessageBox(const std::string& text, unsigned style, const std::string& title,
                       bool centerOnOwner);

}  // namespace droplet
