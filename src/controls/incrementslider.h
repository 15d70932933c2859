#pragma once

#include <QSlider>
#include <QTimer>

// A slider whose track presses, arrow keys and wheel notches move by one
// increment landing on multiples of it: the value goes to the nearest
// multiple, then one increment on, within the range. A held track press
// repeats every 400 ms until the thumb reaches the pointer, following the
// pointer as it moves. Up, Right and Page Up step towards the maximum, Down,
// Left and Page Down towards the minimum; Home sets the minimum, End the
// maximum.
//
// `interactionFinished` marks the end of what the operator did: the release
// after a drag or a track press, a key, a wheel turn. Changes made by code
// never raise it. `released` follows every mouse release on the slider.
class IncrementSlider final : public QSlider
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(IncrementSlider)

public:
    static constexpr int repeatMilliseconds = 400;

    IncrementSlider(Qt::Orientation orientation, int increment, QWidget *parent = nullptr);

    int increment() const { return m_increment; }
    // The value one increment from `value` towards the maximum or the minimum.
    static int stepped(int value, int increment, bool towardsMaximum, int minimum, int maximum);

Q_SIGNALS:
    void interactionFinished();
    void released();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    void step(bool towardsMaximum);
    // Moves once towards the pressed point; false when the thumb is there.
    bool stepTowardsPress();
    QRect handleRect() const;

    int m_increment;
    QTimer m_repeat;
    QPoint m_pressPoint;
    bool m_trackPressed = false;
    int m_wheelDelta = 0;
};
