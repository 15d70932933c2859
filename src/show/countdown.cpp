#include "countdown.h"

namespace {

constexpr qint64 kSecondNs = 1'000'000'000;

} // namespace

bool Countdown::start(int seconds, int speed, qint64 now)
{
    if (seconds < 1 || seconds > kMaxSeconds || speed == 0) {
        cancel();
        return false;
    }
    m_end = now + seconds * kSecondNs;
    m_digit = seconds;
    m_running = true;
    return true;
}

void Countdown::cancel()
{
    m_running = false;
    m_digit = 0;
}

Countdown::Step Countdown::advance(qint64 now)
{
    if (!m_running)
        return Step::Idle;
    if (now >= m_end) {
        cancel();
        return Step::Finished;
    }
    const int digit = int((m_end - now + kSecondNs - 1) / kSecondNs);
    if (digit == m_digit)
        return Step::Same;
    m_digit = digit;
    return Step::Changed;
}

qint64 Countdown::nextChange() const
{
    if (!m_running)
        return -1;
    return m_end - qint64(m_digit - 1) * kSecondNs;
}
