#pragma once

#include <QByteArrayView>
#include <QStringList>

#include <optional>

// The longest line a rich text script keeps, in UTF-16 units.
inline constexpr qsizetype kMaxRichTextLineLength = 4096;

// The plain text lines of an RTF document, one per paragraph, line break or
// table cell; fonts, colours, pictures and document information are dropped.
// Each line is cut after kMaxRichTextLineLength units (never inside a surrogate
// pair) and an empty last line is not counted. Malformed or truncated RTF gives
// the text recovered so far. nullopt when the bytes do not start with "{\rtf"
// (leading whitespace allowed).
std::optional<QStringList> rtfToLines(QByteArrayView bytes);

// `lines` with each line cut as rtfToLines cuts them.
QStringList cutLongLines(QStringList lines);
