// Letter keys and mouse presses on the page.
#include "prompterwindow.h"

#include "htmlview.h"
#include "scrollclock.h"
#include "speedmodel.h"
#include "texts.h"

#include <QLabel>

using namespace texts;

void PrompterWindow::onPageKey(int key, Qt::KeyboardModifiers)
{
    stopFollowing();
    switch (key) {
    case Qt::Key_Q:
        togglePause();
        return;
    case Qt::Key_W:
        if (m_currentSpeed < kMaxSpeed)
            m_currentSpeed += kSpeedStep;
        applySpeed();
        return;
    case Qt::Key_S:
        if (m_currentSpeed > -kMaxSpeed)
            m_currentSpeed -= kSpeedStep;
        applySpeed();
        return;
    case Qt::Key_E:
        m_currentSpeed = -m_currentSpeed;
        applySpeed();
        return;
    case Qt::Key_A:
        applySpeed();
        previousQueueScript();
        return;
    case Qt::Key_D:
        applySpeed();
        nextQueueScript();
        return;
    case Qt::Key_F:
        applySpeed();
        rewindAndPause();
        page->focus();
        return;
    default:
        applySpeed();
        return;
    }
}

void PrompterWindow::onPagePress(Qt::MouseButton button)
{
    stopFollowing();
    if (button == Qt::LeftButton) {
        if (scrollTimer->enabled()) {
            scrollTimer->setEnabled(false);
            speedLabel->setText(rsPaused);
        } else {
            scrollTimer->setEnabled(true);
            speedLabel->setText(rsSpeed + QString::number(m_currentSpeed));
        }
    } else if (button == Qt::RightButton) {
        m_currentSpeed = -m_currentSpeed;
        applySpeed();
    }
}
