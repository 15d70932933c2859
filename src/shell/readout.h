#pragma once

#include <QString>

// What the status strip shows, as a value for readers outside the window.
struct Readout
{
    QString speed;     // "Speed 30" or "Paused...", as the speed label reads
    QString coarse;    // "Coarse: 1"
    QString elapsed;   // "Elapsed: 00:00:01:20"
    QString remaining; // "Remaining: 00:01:02:00"
    QString title;     // the script's path, or the no-script text
    int speedValue = 0;
    int step = 1;
    bool paused = true;
    int percent = 0; // of the page scrolled, 0-100

    bool operator==(const Readout &) const = default;
};
