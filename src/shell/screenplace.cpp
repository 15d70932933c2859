#include "screenplace.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

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

ScreenWatch::ScreenWatch(QWidget *window) : QObject(window), m_window(window) {}

void ScreenWatch::start()
{
    rateOf(screenOf(m_window));
    if (QWindow *window = m_window->windowHandle(); window && !m_watchesWindow) {
        m_watchesWindow = true;
        connect(window, &QWindow::screenChanged, this, &ScreenWatch::rateOf);
    }
    if (m_watchesScreens)
        return;
    m_watchesScreens = true;
    const auto watch = [this](QScreen *screen) {
        connect(screen, &QScreen::geometryChanged, this, &ScreenWatch::changedSoon);
        connect(screen, &QScreen::availableGeometryChanged, this, &ScreenWatch::changedSoon);
    };
    for (QScreen *screen : QGuiApplication::screens())
        watch(screen);
    connect(qGuiApp, &QGuiApplication::screenAdded, this, [this, watch](QScreen *screen) {
        watch(screen);
        changedSoon();
    });
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, &ScreenWatch::changedSoon);
    connect(qGuiApp, &QGuiApplication::primaryScreenChanged, this, &ScreenWatch::changedSoon);
}

void ScreenWatch::rateOf(QScreen *screen)
{
    disconnect(m_rate);
    if (!screen)
        return;
    Q_EMIT refreshRate(screen->refreshRate());
    m_rate = connect(screen, &QScreen::refreshRateChanged, this, &ScreenWatch::refreshRate);
}

void ScreenWatch::changedSoon()
{
    if (m_pending)
        return;
    m_pending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_pending = false;
            Q_EMIT screensChanged();
        },
        Qt::QueuedConnection);
}
