#pragma once

#include <QList>
#include <QRect>

class QScreen;
class QWidget;

// The index of the rectangle among `screens` that holds the largest part of
// `frame`; the first of equals; -1 when none holds any of it.
int screenHoldingMost(const QRect &frame, const QList<QRect> &screens);

// The screen a window is on, worked out from its frame. QWidget::screen() names
// the screen the window last moved to: a window that never moved keeps the old
// one when screens change under it. Falls back to QWidget::screen() when no
// screen holds any of the frame.
QScreen *screenOf(const QWidget *window);
