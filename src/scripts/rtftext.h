#pragma once

#include <QByteArrayView>
#include <QStringList>

#include <functional>
#include <limits>
#include <optional>

// The longest line a rich text script keeps, in UTF-16 units.
inline constexpr qsizetype kMaxRichTextLineLength = 4096;

// Past either limit a reader only counts lines and characters, so that the
// text of a huge document is never held.
struct LineLimits
{
    qsizetype maxLines = std::numeric_limits<qsizetype>::max();
    qsizetype maxCharacters = std::numeric_limits<qsizetype>::max();
};

struct RtfText
{
    QStringList lines; // empty when a limit was passed
    qsizetype lineCount = 0;
    qsizetype characterCount = 0; // UTF-16 units of all lines, as cut
};

// Reads the next bytes of a document into `buffer`, at most `capacity` of
// them; 0 at its end. May throw, which ends the read.
using ByteSource = std::function<qsizetype(char *buffer, qsizetype capacity)>;

// The plain text lines of an RTF document: \par, \line and \cell end a line;
// \page, \sect and \row only end a line that has text. Fonts, colours,
// pictures, shapes, headers, note texts and document information are dropped;
// fields show their stored result, hidden text is kept, footnote anchors show
// their number and list labels read "    1. " (four spaces per level). \'hh
// bytes are read in the code page of the current font's \fcharset or \cpg,
// else of \ansicpg (1252 when absent); in a double-byte code page a lead byte
// takes the next \'hh or literal byte as its trail.
// Each line is cut after kMaxRichTextLineLength units (never inside a surrogate
// pair) and an empty last line is not counted. Malformed or truncated RTF gives
// the text recovered so far. nullopt when the bytes do not start with "{\rtf"
// (leading whitespace allowed, a byte-order mark is not).
std::optional<QStringList> rtfToLines(QByteArrayView bytes);

// The same for a document read piece by piece: what it skips (pictures,
// objects, binary data) streams past unkept.
std::optional<RtfText> rtfToLines(const ByteSource &source, const LineLimits &limits);

// True when `head`, the start of a file, starts an RTF document as rtfToLines
// requires.
bool startsRtf(QByteArrayView head);

// `lines` with each line cut as rtfToLines cuts them.
QStringList cutLongLines(QStringList lines);
