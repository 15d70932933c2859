#include "incrementslider.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QWheelEvent>

#include <algorithm>

IncrementSlider::IncrementSlider(Qt::Orientation orientation, int increment, QWidget *parent)
    : QSlider(orientation, parent), m_increment(std::max(1, increment))
{
    setSingleStep(m_increment);
    setPageStep(m_increment);
    m_repeat.setInterval(repeatMilliseconds);
    connect(&m_repeat, &QTimer::timeout, this, [this] {
        if (!stepTowardsPress())
            m_repeat.stop();
    });
    connect(this, &QSlider::sliderReleased, this, &IncrementSlider::interactionFinished);
}

int IncrementSlider::stepped(int value, int increment, bool towardsMaximum, int minimum,
                             int maximum)
{
    // The nearest multiple; halfway between two, the one behind, so that the
    // move stays as short as it can. 64 bits, so that no bound overflows.
    const qint64 v = value;
    const qint64 below = (v >= 0 ? v / increment : -((-v + increment - 1) / increment)) * increment;
    const qint64 above = below == v ? v : below + increment;
    qint64 nearest = v - below < above - v ? below : above;
    if (v - below == above - v)
        nearest = towardsMaximum ? below : above;
    const qint64 next = towardsMaximum ? nearest + increment : nearest - increment;
    return int(std::clamp<qint64>(next, minimum, maximum));
}

void IncrementSlider::step(bool towardsMaximum)
{
    setValue(stepped(value(), m_increment, towardsMaximum, minimum(), maximum()));
}

QRect IncrementSlider::handleRect() const
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    return style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
}

bool IncrementSlider::stepTowardsPress()
{
    const QRect handle = handleRect();
    const bool vertical = orientation() == Qt::Vertical;
    const int at = vertical ? m_pressPoint.y() : m_pressPoint.x();
    const bool before = at < (vertical ? handle.top() : handle.left());
    const bool after = at > (vertical ? handle.bottom() : handle.right());
    if (!before && !after)
        return false;
    // A vertical slider has its maximum at the top unless its appearance is inverted.
    const bool towardsMaximum =
        vertical ? before != invertedAppearance() : after != invertedAppearance();
    const int old = value();
    step(towardsMaximum);
    return value() != old;
}

void IncrementSlider::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || handleRect().contains(event->position().toPoint()) ||
        m_trackPressed) {
        QSlider::mousePressEvent(event);
        return;
    }
    event->accept();
    m_trackPressed = true;
    m_pressPoint = event->position().toPoint();
    if (stepTowardsPress())
        m_repeat.start();
}

void IncrementSlider::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_trackPressed && event->button() == Qt::LeftButton) {
        event->accept();
        m_repeat.stop();
        m_trackPressed = false;
        Q_EMIT interactionFinished();
    } else {
        // A drag's release raises sliderReleased, hence interactionFinished.
        QSlider::mouseReleaseEvent(event);
    }
    Q_EMIT released();
}

void IncrementSlider::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_trackPressed) {
        QSlider::mouseMoveEvent(event);
        return;
    }
    event->accept();
    // The repeat heads for wherever the pointer is now, and starts again when
    // the pointer leaves the thumb it had reached.
    m_pressPoint = event->position().toPoint();
    if (!m_repeat.isActive())
        m_repeat.start();
}

void IncrementSlider::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Right:
    case Qt::Key_PageUp:
        step(!invertedControls());
        break;
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_PageDown:
        step(invertedControls());
        break;
    case Qt::Key_Home:
        setValue(minimum());
        break;
    case Qt::Key_End:
        setValue(maximum());
        break;
    default:
        QSlider::keyPressEvent(event);
        return;
    }
    event->accept();
    Q_EMIT interactionFinished();
}

void IncrementSlider::wheelEvent(QWheelEvent *event)
{
    event->accept();
    const QPoint angle = event->angleDelta();
    m_wheelDelta += std::abs(angle.y()) >= std::abs(angle.x()) ? angle.y() : angle.x();
    // One increment per notch of 120; a fine wheel adds up to one.
    bool moved = false;
    while (std::abs(m_wheelDelta) >= 120) {
        const bool up = m_wheelDelta > 0;
        m_wheelDelta += up ? -120 : 120;
        step(up != invertedControls());
        moved = true;
    }
    if (moved)
        Q_EMIT interactionFinished();
}
