#pragma once

#include <QByteArray>

// The parts of the process environment that decide the Qt platform.
struct SessionEnvironment
{
    QByteArray qpaPlatform;    // QT_QPA_PLATFORM
    QByteArray waylandDisplay; // WAYLAND_DISPLAY
    QByteArray sessionType;    // XDG_SESSION_TYPE
    QByteArray x11Display;     // DISPLAY
};

// The value for QT_QPA_PLATFORM, or empty to leave Qt's own choice.
// A Wayland client cannot place its own window, so the band could not dock there;
// through XWayland it can. Wayland stays the fall-back when XWayland refuses.
QByteArray chooseQtPlatform(const SessionEnvironment &env);

// Applies chooseQtPlatform to this process; must run before the application object exists.
void preferX11OnWayland();
