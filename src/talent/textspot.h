#pragma once

#include <QtGlobal>

class QTextDocument;

// A place in a laid-out page told by its text rather than its pixels: the
// line at a height and how far down towards the next line. Two layouts of the
// same text at different widths find the same place through it.
struct TextSpot
{
    int position = -1;     // first character of the line; -1 when the page has no lines
    int nextPosition = -1; // first character of the next line; -1 after the last line
    qreal fraction = 0;    // 0 at the line's top, 1 at the next line's top
    qreal beyond = 0;      // pixels above the first line or below the last, else 0

    bool operator==(const TextSpot &) const = default;
};

// The top and bottom of a line of a laid-out page.
struct LineBox
{
    qreal top = 0;
    qreal bottom = 0;
    int position = -1; // the line's first character
};

// The place at height `y` of the page (document coordinates). Lays the page
// out as far as the lines it looks at.
TextSpot textSpotAt(const QTextDocument &document, qreal y);
// The line holding the character at `position`; position -1 means the last line.
LineBox lineHolding(const QTextDocument &document, int position);
// The height on `document` of a place found on another layout of the same text:
// between the tops of the lines holding its two characters, as far as its
// fraction goes. Lays the page out only as far as the place.
qreal heightOfSpot(const QTextDocument &document, const TextSpot &spot);
