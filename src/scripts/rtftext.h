#pragma once

#include <QByteArrayView>
#include <QStringList>

#include <optional>

// The longest line a rich text script keeps, in UTF-16 units.
inline constexpr qsizetype kMaxRichTextLineLength = 4096;

// The plain text lines of an RTF document: \par, \line and \cell end a line;
// \page, \sect and \row only end a line that has text. Fonts, colours,
// pictures, shapes, headers, note texts and document information are dropped;
// fields show their stored result, hidden text is kept, footnote anchors show
// their number and list labels read "    1. " (four spaces per level).
// Each line is cut after kMaxRichTextLineLength units (never inside a surrogate
// pair) and an empty last line is not counted. Malformed or truncated RTF gives
// the text recovered so far. nullopt when the bytes do not start with "{\rtf"
// (leading whitespace allowed, a byte-order mark is not).
std::optional<QStringList> rtfToLines(QByteArrayView bytes);

// `lines` with each line cut as rtfToLines cuts them.
QStringList cutLongLines(QStringList lines);
