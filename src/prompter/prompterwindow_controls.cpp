// The status strip's picture buttons, the press-and-hold repeat of the speed
// buttons, Show Status Bar and the online help toggle.
#include "prompterwindow.h"

#include "connectionprobe.h"
#include "htmlview.h"
#include "optionsdialog.h"
#include "picturebutton.h"
#include "prompttimer.h"
#include "scrollclock.h"
#include "speedmodel.h"
#include "texts.h"

#include <QAction>
#include <QFrame>
#include <QLabel>

using namespace texts;

namespace {

// Values of m_repeatDirection.
constexpr int kRepeatFaster = 1;
constexpr int kRepeatSlower = 2;
// The first repeat comes after the press's period, the others after this one.
constexpr unsigned kFirstRepeatMs = 500;
constexpr unsigned kRepeatMs = 50;

} // namespace

void PrompterWindow::connectControlStrip()
{
    const auto onRelease = [this](PictureButton *b, OperatorAction action) {
        connect(b, &PictureButton::mouseUp, this,
                [this, action] { guarded([this, action] { act(action, 0, Caller::Button); }); });
    };
    connect(fasterButton, &PictureButton::mouseDown, this,
            [this] { guarded([this] { startRepeat(kRepeatFaster); }); });
    connect(slowerButton, &PictureButton::mouseDown, this,
            [this] { guarded([this] { startRepeat(kRepeatSlower); }); });
    connect(repeatTimer, &PromptTimer::timeout, this,
            [this] { guarded([this] { onRepeatTick(); }); });
    onRelease(fasterButton, OperatorAction::Faster);
    onRelease(slowerButton, OperatorAction::Slower);
    onRelease(coarseFasterButton, OperatorAction::CoarseFaster);
    onRelease(coarseSlowerButton, OperatorAction::CoarseSlower);
    onRelease(pauseButton, OperatorAction::Pause);
    onRelease(reverseButton, OperatorAction::Reverse);
    onRelease(resetButton, OperatorAction::Top);
    onRelease(previousButton, OperatorAction::Previous);
    onRelease(nextButton, OperatorAction::Next);
    connect(helpButton, &PictureButton::mouseUp, this,
            [this] { guarded([this] { toggleHelp(); }); });
    connect(connectionProbe, &ConnectionProbe::finished, this,
            [this](bool connected) { guarded([this, connected] { onProbeFinished(connected); }); });
    connect(statusStripAction, &QAction::triggered, this,
            [this] { guarded([this] { toggleStatusStrip(); }); });
}

void PrompterWindow::startRepeat(int direction)
{
    stopFollowing();
    repeatTimer->setInterval(kFirstRepeatMs);
    m_repeatDirection = direction;
    repeatTimer->setEnabled(true);
}

void PrompterWindow::onRepeatTick()
{
    if (m_repeatDirection == kRepeatFaster) {
        if (m_currentSpeed < kMaxSpeed)
            m_currentSpeed += kSpeedStep;
    } else if (m_currentSpeed > -kMaxSpeed) {
        m_currentSpeed -= kSpeedStep;
    }
    applySpeed();
    // A release handled inside applySpeed has switched the timer off; it stays off.
    repeatTimer->setInterval(kRepeatMs);
}

void PrompterWindow::togglePause()
{
    stopFollowing();
    scrollTimer->setEnabled(!scrollTimer->enabled());
    if (scrollTimer->enabled())
        speedLabel->setText(rsSpeed + QString::number(m_currentSpeed));
    else
        pause();
    Q_EMIT readoutChanged();
    page->focus();
}

void PrompterWindow::toggleStatusStrip()
{
    // The strip's visibility decides: the action has flipped its own mark already.
    const bool show = statusStrip->isHidden();
    const int change = show ? statusStrip->height() : -statusStrip->height();
    statusStripAction->setChecked(show);
    statusStrip->setVisible(show);
    if (m_options && m_options->alignBottom()) {
        // Docked at the bottom the band keeps its bottom edge, so it stays docked.
        dockWithOuterHeight(m_dockedOuterHeight + change);
    } else {
        // resize() keeps the top edge where it is, so the view keeps its height.
        resize(width(), height() + change);
        m_dockedOuterHeight += change;
    }
    page->focus();
}

void PrompterWindow::toggleHelp()
{
    // The probe runs in the background; a press while it runs has nothing to add.
    if (connectionProbe->isRunning() || page->isFetching())
        return;
    if (m_helpShown) {
        rebuildPage();
        m_helpShown = false;
        return;
    }
    m_helpPressedOnPage = page->pageGeneration();
    connectionProbe->start();
}

void PrompterWindow::onProbeFinished(bool connected)
{
    // A script opened (or the page rebuilt) while the probe ran is newer than
    // the press: the answer no longer applies.
    if (page->pageGeneration() != m_helpPressedOnPage)
        return;
    if (connected) {
        page->navigate(rsHelpAddress);
        m_helpShown = true;
    } else {
        m_dialogs.message(this, rsNoInternet);
    }
}
