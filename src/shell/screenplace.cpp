#include "screenplace.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

int screenHoldingMost(const QRect &frame, const QList<QRect> &screens)
{
    int best = -1;
    qint64 bestArea = 0;
    for (int i = 0; i < screens.size(); ++i) {
        const QRect common = frame.intersected(screens[i]);
        const qint64 area = qint64(common.width()) * common.height();
        if (!common.isEmpty() && area > bestArea) {
            best = i;
            bestArea = area;
        }
    }
    return best;
}

QScreen *screenOf(const QWidget *window)
{
    const QList<QScreen *> screens = QGuiApplication::screens();
    QList<QRect> places;
    for (const QScreen *screen : screens)
        places.append(screen->geometry());
    const int index = screenHoldingMost(window->frameGeometry(), places);
    return index >= 0 ? screens[index] : window->screen();
}
