// The scroll engine and the running time readout of the main window.
#include "prompterwindow.h"

#include "htmlview.h"
#include "scrollclock.h"
#include "speedmodel.h"
#include "texts.h"
#include "timeformat.h"

#include <QLabel>
#include <QSlider>

#include <algorithm>
#include <limits>

using namespace texts;

void PrompterWindow::applySpeed()
{
    m_currentSpeed = clampSpeed(m_currentSpeed);
    scrollTimer->setEnabled(m_currentSpeed != 0);
    scrollTimer->setInterval(periodForSpeed(m_currentSpeed));
    m_scrollForward = m_currentSpeed > 0;
    speedLabel->setText(scrollTimer->enabled() ? rsSpeed + QString::number(m_currentSpeed)
                                               : rsPaused);
    // Runs onSpeedSliderChanged, nested, when the slider's value changes.
    speedSlider->setValue(m_currentSpeed);
    stepLabel->setText(rsCoarse + QString::number(stepSlider->value()));
    Q_EMIT readoutChanged();
    // No processing of pending events here: the new labels are painted with
    // the next frame anyway, and a nested event loop would run the timers and
    // sockets that called this under their own feet.
}

void PrompterWindow::onSpeedSliderChanged()
{
    stopFollowing();
    m_currentSpeed = speedSlider->value();
    speedLabel->setText(rsSpeed + QString::number(m_currentSpeed));
    scrollTimer->setInterval(periodForSpeed(m_currentSpeed));
    speedLabel->repaint();
    m_scrollForward = m_currentSpeed > 0;
    if (m_currentSpeed == 0)
        pause();
    else
        scrollTimer->setEnabled(true);
    Q_EMIT readoutChanged();
    page->focus();
}

void PrompterWindow::pause()
{
    speedLabel->setText(rsPaused);
    scrollTimer->setEnabled(false);
    logo->setPixmap(m_logoPictures.value(0));
    Q_EMIT readoutChanged();
}

void PrompterWindow::rewindAndPause()
{
    page->scrollToTop();
    pause();
}

void PrompterWindow::onScrollTick(int ticks)
{
    const int p = page->scrollPosition();
    const qint64 move = qint64(stepSlider->value()) * ticks;
    // The view clamps at both ends; a sum past int's range would wrap instead.
    const qint64 target =
        std::clamp<qint64>(m_scrollForward ? p + move : p - move, std::numeric_limits<int>::min(),
                           std::numeric_limits<int>::max());
    page->scrollTo(0, int(target));
    updateRemaining();
    updateElapsed();
    Q_EMIT readoutChanged();
}

void PrompterWindow::onStepSliderChanged()
{
    stopFollowing();
    applySpeed();
    page->focus();
}

void PrompterWindow::onPageLoaded()
{
    page->scrollToBottom();
    m_documentLength = page->scrollPosition();
    if (m_currentSpeed != 0)
        updateRemaining();
    page->scrollToTop();
    followNewPage();
    Q_EMIT readoutChanged();
}

void PrompterWindow::updateElapsed()
{
    const int p = page->scrollPosition();
    elapsedLabel->setText(rsElapsed + formatDuration(elapsedMilliseconds(p, stepSlider->value(),
                                                                         scrollTimer->interval())));
}

void PrompterWindow::updateRemaining()
{
    const int p = page->scrollPosition();
    remainingLabel->setText(
        rsRemaining + formatDuration(remainingMilliseconds(m_documentLength, p, stepSlider->value(),
                                                           scrollTimer->interval())));
}
