#include "docking.h"

TaskBar taskBarFromScreen(const QRect &geometry, const QRect &available)
{
    TaskBar bar;
    const int gl = geometry.left(), gt = geometry.top();
    const int gr = gl + geometry.width(), gb = gt + geometry.height();
    const int al = available.left(), at = available.top();
    const int ar = al + available.width(), ab = at + available.height();
    if (available.isEmpty() || available == geometry)
        return bar;
    if (ab < gb && at == gt) {
        bar = {TaskBar::Bottom, gl, ab, gr, gb};
    } else if (at > gt && ab == gb) {
        bar = {TaskBar::Top, gl, gt, gr, at};
    } else if (al > gl) {
        bar = {TaskBar::Left, gl, gt, al, gb};
    } else if (ar < gr) {
        bar = {TaskBar::Right, ar, gt, gr, gb};
    } else if (at > gt) {
        bar = {TaskBar::Top, gl, gt, gr, at};
    } else if (ab < gb) {
        bar = {TaskBar::Bottom, gl, ab, gr, gb};
    }
    return bar;
}

QRect dockedPlacement(int screenWidth, int screenHeight, const TaskBar &bar, bool alignBottom,
                      int currentHeight)
{
    int left = 0;
    int width = screenWidth;
    if (bar.edge == TaskBar::Left) {
        left = bar.right + 1;
        width = screenWidth - left;
    } else if (bar.edge == TaskBar::Right) {
        width = screenWidth - (bar.right - bar.left);
    }
    int top = 0;
    int height = currentHeight;
    if (!alignBottom) {
        top = bar.edge == TaskBar::Top ? bar.bottom + 1 : 0;
        height = 250;
    } else {
        // The band's last row sits on the screen's edge, or one row above the task bar,
        // whatever its height: the strip may be hidden, the height remembered.
        top = (bar.edge == TaskBar::Bottom ? bar.top - 1 : screenHeight) - height;
    }
    return QRect(left, top, width, height);
}
