// Activation of a window on X11 for a start that came with a startup id
// (DESKTOP_STARTUP_ID): the window manager is asked to activate the window
// with the time of the user's action that the id carries, and the desktop's
// start-up feedback for that id is ended.
#pragma once

#include <QByteArray>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <vector>

namespace volcatra {

// The X server time in a startup id ("…_TIME<decimal>"); 0 when it has none.
uint32_t StartupIdTime(const QString& startupId);

// The startup-notification message that ends the feedback of the id,
// "remove: ID=<id>" with a terminating NUL, cut into the 20-byte pieces of
// the client messages that carry it (the last one padded with NULs).
std::vector<QByteArray> StartupRemoveMessage(const QString& startupId);

// Sends both requests for the window; false when the program does not run
// on X11.
bool ActivateX11Window(WId window, const QString& startupId);

}  // namespace volcatra
