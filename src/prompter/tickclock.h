#pragma once

#include <QtGlobal>

#include <functional>

// The scroll timer's arithmetic: how many ticks of a period have fallen due
// since the countdown last restarted, read from a monotonic clock. Setting a
// value it already has changes nothing; a real change of the flag or the
// period restarts the countdown, so a full period passes before the next tick.
class TickClock final
{
public:
    // Nanoseconds of a monotonic clock.
    using Clock = std::function<qint64()>;

    explicit TickClock(unsigned interval, Clock now);

    bool enabled() const { return m_enabled; }
    unsigned interval() const { return m_interval; }
    void setEnabled(bool enabled);
    void setInterval(unsigned interval);

    // The ticks due now and not yet taken; taking them marks them applied.
    // After a jump of the clock (a wake from suspend) at most a second's
    // worth are handed out, the rest are dropped.
    int takeDueTicks() { return takeDueTicks(m_now()); }
    // The same, counted up to `at` rather than now: the frame a wake serves.
    int takeDueTicks(qint64 at);
    // Nanoseconds until the next tick falls due (0 when one is due); -1 while off.
    qint64 untilNextTick() const;

private:
    void restart();
    qint64 periodNs() const { return qint64(m_interval) * 1'000'000; }

    Clock m_now;
    qint64 m_start = 0;
    qint64 m_applied = 0;
    unsigned m_interval = 0;
    bool m_enabled = false;
};
