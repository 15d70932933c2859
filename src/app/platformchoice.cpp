#include "platformchoice.h"

#include <QtGlobal>

QByteArray chooseQtPlatform(const SessionEnvironment &env)
{
    // Qt treats an empty QT_QPA_PLATFORM as unset, and so do we.
    if (!env.qpaPlatform.isEmpty()) {
        return {};
    }
    const bool wayland = !env.waylandDisplay.isEmpty() || env.sessionType == "wayland";
    if (!wayland || env.x11Display.isEmpty()) {
        return {};
    }
    return QByteArrayLiteral("xcb;wayland");
}

void preferX11OnWayland()
{
    const QByteArray platform =
        chooseQtPlatform({qgetenv("QT_QPA_PLATFORM"), qgetenv("WAYLAND_DISPLAY"),
                          qgetenv("XDG_SESSION_TYPE"), qgetenv("DISPLAY")});
    if (!platform.isEmpty()) {
        qputenv("QT_QPA_PLATFORM", platform);
    }
}
