#pragma once

#include <memory>

class QTextDocument;

// A stretch of a page, as character positions [from, to) on whole blocks;
// tables and other frames are kept whole.
struct PageSlice
{
    int from = 0;
    int to = 0;

    bool contains(int position) const { return position >= from && position < to; }
    bool operator==(const PageSlice &) const = default;
};

// The blocks holding the characters within `characters` of `position`
// either way, or the whole page when it is no longer.
PageSlice sliceAround(const QTextDocument &page, int position, int characters);
// A page of its own holding `slice` with its formats, the page's font,
// margins and text options, so that it lays out as that stretch of the page
// does at the same width; its position p is the page's slice.from + p.
// Copies only the slice: the cost does not grow with the page.
std::unique_ptr<QTextDocument> copySlice(const QTextDocument &page, const PageSlice &slice);
