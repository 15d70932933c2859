#include "prompttimer.h"

#include <limits>

PromptTimer::PromptTimer(unsigned interval, QObject *parent) : QObject(parent), m_interval(interval)
{
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &PromptTimer::timeout);
}

void PromptTimer::setEnabled(bool enabled)
{
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    restart();
}

void PromptTimer::setInterval(unsigned interval)
{
    if (interval == m_interval)
        return;
    m_interval = interval;
    restart();
}

void PromptTimer::restart()
{
    if (!m_enabled || m_interval == 0) {
        m_timer.stop();
        return;
    }
    // QTimer takes an int; longer stored periods run at the longest it can.
    const unsigned cap = unsigned(std::numeric_limits<int>::max());
    m_timer.start(int(m_interval > cap ? cap : m_interval));
}
