#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

// Scripts larger than this are refused before a byte of them is read.
inline constexpr qint64 kMaxScriptBytes = 16 * 1024 * 1024;

// Longer scripts would keep the view busy for seconds before it shows them.
inline constexpr qsizetype kMaxScriptLines = 100000;
inline constexpr qsizetype kMaxScriptCharacters = 8000000;

// True when the file name's extension, from its last dot, is ".rtf" in any case.
bool isRichTextPath(const QString &path);

// All bytes of a regular file of at most `maxBytes`. Throws TavrixError
// "Cannot open file ..." with the system's reason; never blocks on a FIFO and
// never reads more than maxBytes + 1 bytes.
QByteArray readFileBytes(const QString &path, qint64 maxBytes);

// The system's own text for an errno value.
QString systemErrorText(int errorNumber);

// The plain text reader: decodeLines of the file, lines not cut.
QStringList readPlainTextFile(const QString &path);

// The rich text reader: rtfToLines of the file; a file that is not RTF is read
// as plain text, its lines cut as rich text lines are.
QStringList readRichTextFile(const QString &path);

// The script read rule: the rich text reader for .rtf paths, else the plain one.
// A script too long for the view is refused with the cannot-open message.
QStringList readScript(const QString &path);
