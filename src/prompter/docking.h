#pragma once

#include <QRect>

#include <optional>

// Where the task bar sits, with its rectangle in screen pixels
// (right and bottom exclusive).
struct TaskBar
{
    enum Edge
    {
        Left = 0,
        Top = 1,
        Right = 2,
        Bottom = 3,
        None = -1
    };
    int edge = None;
    int left = 0, top = 0, right = 0, bottom = 0;
};

// The task bar is the strip of the screen that the available area leaves out.
// A desktop without a panel gives Edge None.
TaskBar taskBarFromScreen(const QRect &geometry, const QRect &available);

// The prompter's outer bounds: full width, clear of the task bar, at the top
// (250 high) or the bottom (keeping `currentHeight`, its last row on the
// screen's edge or one row above a task bar there).
QRect dockedPlacement(int screenWidth, int screenHeight, const TaskBar &bar, bool alignBottom,
                      int currentHeight);
