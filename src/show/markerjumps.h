#pragma once

#include "markerlist.h"

// Where Next Marker or Previous Marker goes.
struct MarkerJump
{
    enum class Kind
    {
        None, // at an end: nothing moves
        Top,  // back to the top of the page
        Marker
    };
    Kind kind = Kind::None;
    qsizetype marker = -1; // for Kind::Marker

    bool operator==(const MarkerJump &) const = default;
};

// Next and previous marker from where the band is. The band's place is the
// script line at its reading line; a jump is remembered with the scroll
// position it left, so that a marker the page cannot bring up to the reading
// line (near the end, the page stops scrolling) still counts as reached and
// the next "next" goes on past it instead of landing on it again.
class MarkerJumps
{
public:
    // A new script (or a quick edit) brings new markers; what was reached is forgotten.
    void setMarkers(MarkerList markers);
    const MarkerList &markers() const { return m_markers; }

    // The section the band is in: `line` is the script line at the reading
    // line, `scroll` the page's scroll position.
    qsizetype sectionAt(qsizetype line, int scroll) const;
    // No wrap at either end; "previous" from the first section (or before it) goes to the top.
    MarkerJump next(qsizetype line, int scroll) const;
    MarkerJump previous(qsizetype line, int scroll) const;
    // The band went where `jump` said and now stands at `scroll`.
    void jumped(const MarkerJump &jump, int scroll);

private:
    MarkerList m_markers;
    qsizetype m_reached = -1; // the marker last jumped to
    int m_reachedScroll = -1; // -1 when nothing was jumped to
};

// The scroll position that puts a line (top and height in page pixels) at the
// reading line, a third of the way down a viewport of `viewportHeight`, as far
// as the page can scroll (0 to maxScroll).
int scrollForReadingLine(int lineTop, int lineHeight, int viewportHeight, int maxScroll);
