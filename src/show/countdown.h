#pragma once

#include <QtGlobal>

// The countdown before the page starts to move: N, N-1, ... 1, then go. It
// keeps no timer: the scroll clock's frames bring the time, so it changes its
// digit on the first frame of each whole second.
class Countdown
{
public:
    static constexpr int kMaxSeconds = 30;

    // Starts counting `seconds` (1 to 30) from `now` (ns on the clock the
    // frames bring). Nothing starts when there is nothing to start: seconds
    // out of range (the option is off) or speed 0. Starting again restarts.
    bool start(int seconds, int speed, qint64 now);
    // A pause control: the count stops and nothing starts.
    void cancel();
    bool running() const { return m_running; }

    enum class Step
    {
        Idle,    // not counting
        Same,    // the same digit as before
        Changed, // a new digit to show
        Finished // zero reached: the page moves now
    };
    // A frame at `now`.
    Step advance(qint64 now);
    // The digit to show while running: whole seconds left, rounded up.
    int digit() const { return m_digit; }
    // When the next digit (or the go) falls due; -1 while idle.
    qint64 nextChange() const;

private:
    qint64 m_end = 0;
    int m_digit = 0;
    bool m_running = false;
};
