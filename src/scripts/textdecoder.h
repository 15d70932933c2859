#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>

struct CodePageTable;

// Text by the byte-order mark: FF FE UTF-16 LE, FE FF UTF-16 BE, EF BB BF UTF-8
// (the mark is dropped); without a mark UTF-8 when the bytes are valid UTF-8,
// else Windows-1252. Invalid sequences become U+FFFD; the first U+0000 ends the text.
QString decodeText(QByteArrayView bytes);

// True when decodeText drops a NUL character and whatever follows it.
bool textEndsAtNul(QByteArrayView bytes);

// Lines ending at CR LF, a lone CR or a lone LF; a break at the very end makes
// no empty last line.
QStringList splitLines(const QString &text);

// splitLines(decodeText(bytes)).
QStringList decodeLines(QByteArrayView bytes);

// The lines of decodeLines(bytes), measured without decoding them.
struct LineShape
{
    qsizetype lines = 0;
    // In code units of the text's encoding (bytes, or 16-bit units after a UTF-16
    // mark): never less than the line's length in UTF-16 units or in UTF-8 bytes.
    qsizetype longestLine = 0;
    qsizetype longestLineIndex = -1;
};
LineShape measureLines(QByteArrayView bytes);

// The encoding of every text file the program writes: UTF-8 without a mark.
QByteArray encodeText(const QString &text);

// Characters of the Windows code pages that RTF writers use, through the C
// library's iconv: single-byte 874 and 1250-1258, double-byte 932, 936, 949 and
// 950; any other number reads as 1252. A byte the code page leaves undefined
// gives the C1 control of the same value (0x80-0x9F) or U+FFFD, as Windows
// does; a lead byte without a valid trail byte gives U+FFFD.
class CodePageDecoder
{
public:
    explicit CodePageDecoder(int codePage);
    ~CodePageDecoder();
    CodePageDecoder(const CodePageDecoder &) = delete;
    CodePageDecoder &operator=(const CodePageDecoder &) = delete;

    // The code page that reads `codePage`: itself, or 1252 for one not supported.
    static int effectiveCodePage(int codePage);

    int codePage() const;
    bool isDoubleByte() const;
    // True when `byte` starts a two-byte character.
    bool isLeadByte(unsigned char byte) const;
    // The character of one byte of a single-byte code page (or of a byte below
    // 0x80 of any code page).
    char16_t charOf(unsigned char byte) const;
    // Appends the characters of `bytes` to `text`.
    void decode(QByteArrayView bytes, QString &text) const;

private:
    const CodePageTable *m_table;
    void *m_converter = nullptr; // the iconv_t of a double-byte page
};

// CodePageDecoder(codePage).decode(bytes).
QString decodeCodePage(int codePage, QByteArrayView bytes);
