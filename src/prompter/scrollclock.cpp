#include "scrollclock.h"

#include <QElapsedTimer>

#include <algorithm>
#include <limits>
#include <memory>

namespace {

TickClock::Clock monotonicClock()
{
    auto timer = std::make_shared<QElapsedTimer>();
    timer->start();
    return [timer] { return timer->nsecsElapsed(); };
}

} // namespace

ScrollClock::ScrollClock(unsigned interval, QObject *parent)
    : ScrollClock(interval, monotonicClock(), parent)
{}

ScrollClock::ScrollClock(unsigned interval, TickClock::Clock now, QObject *parent)
    : QObject(parent), m_now(now), m_ticks(interval, std::move(now))
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &ScrollClock::wake);
}

void ScrollClock::setEnabled(bool enabled)
{
    if (enabled == m_ticks.enabled())
        return;
    m_ticks.setEnabled(enabled);
    schedule();
}

void ScrollClock::setInterval(unsigned interval)
{
    if (interval == m_ticks.interval())
        return;
    m_ticks.setInterval(interval);
    schedule();
}

int ScrollClock::remainingTime() const
{
    const qint64 ns = m_ticks.untilNextTick();
    if (ns < 0)
        return -1;
    return int(std::min<qint64>((ns + 999'999) / 1'000'000, std::numeric_limits<int>::max()));
}

void ScrollClock::setRefreshRate(qreal hertz)
{
    // Displays run between 24 and 600 Hz; anything else (NaN included) is a driver's guess.
    if (!(hertz >= 24 && hertz <= 600))
        hertz = 60;
    m_frameNs = qint64(1e9 / hertz);
    schedule();
}

void ScrollClock::setFramesWanted(bool wanted)
{
    if (wanted == m_framesWanted)
        return;
    m_framesWanted = wanted;
    schedule();
}

void ScrollClock::schedule()
{
    const qint64 untilTick = m_ticks.untilNextTick();
    if (untilTick < 0 && !m_framesWanted) {
        m_timer.stop();
        return;
    }
    const qint64 now = m_now();
    qint64 wakeAt = m_framesWanted || untilTick < 0 ? m_nextFrame : now + untilTick;
    if (untilTick >= 0)
        wakeAt = std::min(wakeAt, now + untilTick);
    wakeAt = std::max(wakeAt, m_nextFrame);
    m_wakeAt = wakeAt;
    const qint64 delayMs = std::max<qint64>(0, (wakeAt - now + 999'999) / 1'000'000);
    m_timer.start(int(std::min<qint64>(delayMs, std::numeric_limits<int>::max())));
}

void ScrollClock::wake()
{
    const qint64 now = m_now();
    // The timer wakes up to a millisecond or two late; counting the ticks up to the
    // time the wake was meant for keeps every frame's move the same. Later than a
    // frame, the frame is lost anyway and the ticks are counted up to now.
    const qint64 at = now - m_wakeAt < m_frameNs ? std::min(now, m_wakeAt) : now;
    // Keep to the frame grid; a new grid starts where the ticks were counted to.
    m_nextFrame = now < m_nextFrame + m_frameNs ? m_nextFrame + m_frameNs : at + m_frameNs;
    if (const int count = m_ticks.takeDueTicks(at); count > 0)
        Q_EMIT ticks(count);
    Q_EMIT frame();
    schedule();
}
