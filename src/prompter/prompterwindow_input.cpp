// Letter keys and mouse presses on the page.
#include "prompterwindow.h"

#include "htmlview.h"
#include "scrollclock.h"
#include "texts.h"

#include <QLabel>

#include <optional>

using namespace texts;

namespace {

std::optional<OperatorAction> actionForKey(int key)
{
    switch (key) {
    case Qt::Key_Q:
        return OperatorAction::Pause;
    case Qt::Key_W:
        return OperatorAction::Faster;
    case Qt::Key_S:
        return OperatorAction::Slower;
    case Qt::Key_E:
        return OperatorAction::Reverse;
    case Qt::Key_A:
        return OperatorAction::Previous;
    case Qt::Key_D:
        return OperatorAction::Next;
    case Qt::Key_F:
        return OperatorAction::Top;
    default:
        return std::nullopt;
    }
}

} // namespace

void PrompterWindow::onPageKey(int key, Qt::KeyboardModifiers)
{
    // The action itself stops following: it must know whether a pause ends it.
    if (const auto action = actionForKey(key)) {
        perform(*action);
        return;
    }
    stopFollowing();
    applySpeed();
}

void PrompterWindow::onPagePress(Qt::MouseButton button)
{
    // A left press pauses; one that ends following leaves the page still.
    if (stopFollowing() && button == Qt::LeftButton) {
        pause();
        return;
    }
    if (button == Qt::LeftButton) {
        if (scrollTimer->enabled()) {
            scrollTimer->setEnabled(false);
            speedLabel->setText(rsPaused);
        } else {
            scrollTimer->setEnabled(true);
            speedLabel->setText(rsSpeed + QString::number(m_currentSpeed));
        }
        Q_EMIT readoutChanged();
    } else if (button == Qt::RightButton) {
        m_currentSpeed = -m_currentSpeed;
        applySpeed();
    }
}
