#pragma once

#include <QList>
#include <QRect>

class QScreen;
class QWidget;

// The index of the rectangle among `screens` that holds the largest part of
// `frame`; the first of equals; -1 when none holds any of it.
int screenHoldingMost(const QRect &frame, const QList<QRect> &screens);

// The screen a window is on, worked out from its frame. QWidget::screen() names
// the screen the window last moved to: a window that never moved keeps the old
// one when screens change under it. Falls back to QWidget::screen() when no
// screen holds any of the frame.
QScreen *screenOf(const QWidget *window);

#include <QObject>

// Tells a window when the screens change under it, once a change has settled
// (one change comes as several signals, and a removed screen is still listed
// while its own signal runs), and the refresh rate of the screen it is on,
// which can change while the window stays put.
class ScreenWatch final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ScreenWatch)

public:
    explicit ScreenWatch(QWidget *window);

    // Reports the window's refresh rate now; the first call after the window
    // has been shown starts watching.
    void start();

Q_SIGNALS:
    void screensChanged();
    void refreshRate(qreal hertz);

private:
    void rateOf(QScreen *screen);
    void changedSoon();

    QWidget *m_window;
    QMetaObject::Connection m_rate;
    bool m_watchesScreens = false;
    bool m_watchesWindow = false;
    bool m_pending = false;
};
