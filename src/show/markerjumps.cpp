#include "markerjumps.h"

#include <algorithm>
#include <utility>

void MarkerJumps::setMarkers(MarkerList markers)
{
    m_markers = std::move(markers);
    m_reached = -1;
    m_reachedScroll = -1;
}

qsizetype MarkerJumps::sectionAt(qsizetype line, int scroll) const
{
    if (m_reachedScroll >= 0 && scroll == m_reachedScroll && m_reached < m_markers.size())
        return m_reached;
    return m_markers.sectionAt(line);
}

MarkerJump MarkerJumps::next(qsizetype line, int scroll) const
{
    const qsizetype target = sectionAt(line, scroll) + 1;
    if (target >= m_markers.size())
        return {};
    return {MarkerJump::Kind::Marker, target};
}

MarkerJump MarkerJumps::previous(qsizetype line, int scroll) const
{
    const qsizetype section = sectionAt(line, scroll);
    if (section > 0)
        return {MarkerJump::Kind::Marker, section - 1};
    if (scroll > 0)
        return {MarkerJump::Kind::Top, -1};
    return {};
}

void MarkerJumps::jumped(const MarkerJump &jump, int scroll)
{
    switch (jump.kind) {
    case MarkerJump::Kind::None:
        return;
    case MarkerJump::Kind::Top:
        // At the top the page shows where it stands: a marker on the first
        // line is the section the band is in.
        m_reached = -1;
        m_reachedScroll = -1;
        return;
    case MarkerJump::Kind::Marker:
        m_reached = jump.marker;
        break;
    }
    m_reachedScroll = scroll;
}

int scrollForReadingLine(int lineTop, int lineHeight, int viewportHeight, int maxScroll)
{
    const qint64 wanted = qint64(lineTop) + std::max(0, lineHeight) / 2 - viewportHeight / 3;
    return int(std::clamp<qint64>(wanted, 0, std::max(0, maxScroll)));
}
