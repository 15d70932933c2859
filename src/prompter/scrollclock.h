#pragma once

#include "tickclock.h"

#include <QObject>
#include <QTimer>

// The scroll timer, paced by the display: it wakes when the next tick falls
// due but never more than once a frame, and hands over every tick due since
// the last wake at once, so no tick is lost and the band repaints at most
// once a frame. Off, it does not wake at all unless frames are wanted.
class ScrollClock final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ScrollClock)

public:
    explicit ScrollClock(unsigned interval, QObject *parent = nullptr);
    ScrollClock(unsigned interval, TickClock::Clock now, QObject *parent = nullptr);

    bool enabled() const { return m_ticks.enabled(); }
    unsigned interval() const { return m_ticks.interval(); }
    void setEnabled(bool enabled);
    void setInterval(unsigned interval);
    // Milliseconds until the next tick; -1 while off.
    int remainingTime() const;

    // The display's refresh rate; one that no display has (0, NaN, 1000) counts as 60 Hz.
    void setRefreshRate(qreal hertz);
    qint64 frameInterval() const { return m_frameNs; }
    // Keeps waking once a frame while the ticks are off, for motion driven by
    // something other than the ticks.
    void setFramesWanted(bool wanted);
    bool framesWanted() const { return m_framesWanted; }
    // Whether a wake is scheduled, and for when on the clock's own time.
    bool isWaking() const { return m_timer.isActive(); }
    qint64 nextWake() const { return m_wakeAt; }

    // The timer's wake; tests on a clock that only moves when told call it directly.
    void wake();

Q_SIGNALS:
    // The ticks that fell due since the last wake, to be applied as one move.
    void ticks(int count);
    // Every wake, after the ticks.
    void frame();

private:
    void schedule();

    TickClock::Clock m_now;
    TickClock m_ticks;
    QTimer m_timer;
    qint64 m_frameNs = 1'000'000'000 / 60;
    qint64 m_nextFrame = 0;
    qint64 m_wakeAt = 0;
    bool m_framesWanted = false;
};
