#pragma once

// Moves the page towards where the voice says it should be, one display frame at a time:
// the speed grows with the distance left and eases off towards the end, is limited by a
// top rate, and changes gently, so the page never jumps and never overshoots. Widget-free.
class FollowMotion final
{
public:
    // The page's position now, when following starts or the page changes under it.
    void reset(double position);
    void setTarget(double target) { m_target = target; }
    double target() const { return m_target; }
    double position() const { return m_position; }

    // Advances by `elapsedMs`; `maxRate` is the top speed in pixels per millisecond.
    // Returns the new position.
    double advance(double elapsedMs, double maxRate);

    // Time over which the speed falls to nothing as the page arrives.
    static constexpr double easeMs = 250;
    // Time from rest to the top speed.
    static constexpr double rampMs = 300;

private:
    double m_position = 0;
    double m_target = 0;
    double m_velocity = 0;
};
