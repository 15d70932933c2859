#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>

// Text by the byte-order mark: FF FE UTF-16 LE, FE FF UTF-16 BE, EF BB BF UTF-8
// (the mark is dropped); without a mark UTF-8 when the bytes are valid UTF-8,
// else Windows-1252. Invalid sequences become U+FFFD; the first U+0000 ends the text.
QString decodeText(QByteArrayView bytes);

// Lines ending at CR LF, a lone CR or a lone LF; a break at the very end makes
// no empty last line.
QStringList splitLines(const QString &text);

// splitLines(decodeText(bytes)).
QStringList decodeLines(QByteArrayView bytes);

// The encoding of every text file the program writes: UTF-8 without a mark.
QByteArray encodeText(const QString &text);

// The character of `byte` in Windows code page 1250, 1251, 1252 or 1253; any
// other code page reads as 1252. Undefined bytes 0x80-0x9F give the C1 control
// of the same value, as Windows does; undefined bytes from 0xA0 give U+FFFD.
char16_t windowsCodePageChar(int codePage, unsigned char byte);
