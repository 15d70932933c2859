#include "followmotion.h"

#include <algorithm>
#include <cmath>

void FollowMotion::reset(double position)
{
    m_position = position;
    m_target = position;
    m_velocity = 0;
}

double FollowMotion::advance(double elapsedMs, double maxRate)
{
    if (elapsedMs <= 0 || maxRate <= 0)
        return m_position;
    // A frame that came very late moves no further than a normal one would have.
    elapsedMs = std::min(elapsedMs, 50.0);
    const double distance = m_target - m_position;
    // Speed in proportion to the distance left: an exponential approach that eases in.
    double wanted = std::clamp(distance / easeMs, -maxRate, maxRate);
    const double change = maxRate * elapsedMs / rampMs;
    wanted = std::clamp(wanted, m_velocity - change, m_velocity + change);
    // The page never passes the target: it stops rather than coast on past a target that
    // moved back, and lands on it rather than beyond.
    if (wanted * distance < 0)
        wanted = 0;
    if (std::abs(wanted) * elapsedMs > std::abs(distance))
        wanted = distance / elapsedMs;
    m_velocity = wanted;
    m_position += m_velocity * elapsedMs;
    if (std::abs(m_target - m_position) < 0.05) {
        m_position = m_target;
        m_velocity = 0;
    }
    return m_position;
}
