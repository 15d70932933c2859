// The operator's actions, shared by the keys, the strip's buttons and the remote.
#include "prompterwindow.h"

#include "htmlview.h"
#include "prompttimer.h"
#include "scrollclock.h"
#include "speedmodel.h"

#include <QLabel>

#include <algorithm>

void PrompterWindow::perform(OperatorAction action, int value)
{
    act(action, value, Caller::Key);
}

void PrompterWindow::act(OperatorAction action, int value, Caller caller)
{
    // Every speed or pause control, the remote's too, hands the page back from the voice; a
    // pause while following leaves the page still (the scroll clock is off while following).
    const bool wasFollowing = stopFollowing();
    const bool key = caller == Caller::Key;
    switch (action) {
    case OperatorAction::Faster:
    case OperatorAction::Slower:
        // A button's release also ends its press-and-hold repeat.
        if (!key)
            repeatTimer->setEnabled(false);
        if (action == OperatorAction::Faster && m_currentSpeed < kMaxSpeed)
            m_currentSpeed += kSpeedStep;
        else if (action == OperatorAction::Slower && m_currentSpeed > -kMaxSpeed)
            m_currentSpeed -= kSpeedStep;
        applySpeed();
        break;
    case OperatorAction::CoarseFaster:
        stepCoarse(1);
        break;
    case OperatorAction::CoarseSlower:
        stepCoarse(-1);
        break;
    case OperatorAction::Pause:
        if (wasFollowing) {
            pause();
            page->focus();
        } else {
            togglePause();
        }
        break;
    case OperatorAction::Reverse:
        m_currentSpeed = -m_currentSpeed;
        applySpeed();
        if (!key)
            page->focus();
        break;
    // Every key but those of speed, direction and pause applies the speed first.
    case OperatorAction::Top:
        if (key)
            applySpeed();
        rewindAndPause();
        page->focus();
        break;
    case OperatorAction::Previous:
        if (key)
            applySpeed();
        previousQueueScript();
        break;
    case OperatorAction::Next:
        if (key)
            applySpeed();
        nextQueueScript();
        break;
    case OperatorAction::SetSpeed:
        m_currentSpeed = clampSpeed(value);
        applySpeed();
        break;
    case OperatorAction::SetStep:
        // Code's own change of the step slider is not reported; applySpeed refreshes the label.
        stepSlider->setValue(std::clamp(value, stepSlider->minimum(), stepSlider->maximum()));
        applySpeed();
        page->focus();
        break;
    }
    Q_EMIT readoutChanged();
}

void PrompterWindow::stepCoarse(int delta)
{
    const int step = stepSlider->value() + delta;
    if (step >= stepSlider->minimum() && step <= stepSlider->maximum())
        stepSlider->setValue(step);
    applySpeed();
    page->focus();
}

Readout PrompterWindow::readout() const
{
    Readout r;
    r.speed = speedLabel->text();
    r.coarse = stepLabel->text();
    r.elapsed = elapsedLabel->text();
    r.remaining = remainingLabel->text();
    r.title = scriptLabel->text();
    r.speedValue = m_currentSpeed;
    r.step = stepSlider->value();
    r.paused = !scrollTimer->enabled();
    const int position = page->scrollPosition();
    if (m_documentLength > 0 && position > 0)
        r.percent =
            int(std::clamp(qint64(position) * 100 / m_documentLength, qint64(0), qint64(100)));
    return r;
}
