#include "tickclock.h"

#include <algorithm>

namespace {

constexpr qint64 kCatchUpNs = 1'000'000'000;

} // namespace

TickClock::TickClock(unsigned interval, Clock now) : m_now(std::move(now)), m_interval(interval) {}

void TickClock::setEnabled(bool enabled)
{
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    restart();
}

void TickClock::setInterval(unsigned interval)
{
    if (interval == m_interval)
        return;
    m_interval = interval;
    restart();
}

void TickClock::restart()
{
    m_start = m_now();
    m_applied = 0;
}

int TickClock::takeDueTicks(qint64 at)
{
    if (!m_enabled || m_interval == 0)
        return 0;
    const qint64 elapsed = at - m_start;
    if (elapsed < 0 && m_now() < m_start) {
        // A clock that went backwards: count afresh from here.
        restart();
        return 0;
    }
    const qint64 period = periodNs();
    const qint64 due = std::max<qint64>(0, elapsed / period - m_applied);
    const qint64 cap = std::max<qint64>(1, kCatchUpNs / period);
    m_applied += due;
    return int(std::min(due, cap));
}

qint64 TickClock::untilNextTick() const
{
    if (!m_enabled || m_interval == 0)
        return -1;
    const qint64 elapsed = m_now() - m_start;
    if (elapsed < 0)
        return periodNs();
    return std::max<qint64>(0, (m_applied + 1) * periodNs() - elapsed);
}
