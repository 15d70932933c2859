// Decodes any bytes as a plain text script; checks what every caller relies on.
#include "textdecoder.h"

#include <QRegularExpression>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

bool isValidUtf16(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        else if (text.at(i).isSurrogate())
            return false;
    }
    return true;
}

// The line rule written another way: split at every break, then drop the one
// empty piece that a break at the very end leaves.
QStringList referenceLines(const QString &text)
{
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    QStringList lines = text.split(lineBreak);
    if (lines.constLast().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString text = decodeText(bytes);
    if (text.contains(QChar(0)) || !isValidUtf16(text))
        std::abort();
    const QStringList lines = splitLines(text);
    if (lines != referenceLines(text) || decodeLines(bytes) != lines)
        std::abort();
    // Measured without decoding: the same count, and no line longer than measured,
    // neither in UTF-16 units nor as UTF-8 bytes.
    const LineShape shape = measureLines(bytes);
    if (shape.lines != lines.size())
        std::abort();
    for (const QString &line : lines) {
        if (line.size() > shape.longestLine)
            std::abort();
    }
    if (shape.longestLineIndex >= 0 &&
        lines.at(shape.longestLineIndex).toUtf8().size() < shape.longestLine)
        std::abort();
    // What the program writes must read back unchanged; a leading U+FEFF would read as a mark.
    if (!text.startsWith(QChar(0xFEFF)) && decodeText(encodeText(text)) != text)
        std::abort();
    // Any bytes in any code page: one unit per byte at most, and no broken pairs.
    static const int codePages[] = {874,  932,  936,  949,  950,  1250, 1251,
                                    1252, 1253, 1254, 1255, 1256, 1257, 1258};
    const int codePage = size > 0 ? codePages[data[0] % std::size(codePages)] : 1252;
    const QString decoded = decodeCodePage(codePage, bytes);
    if (decoded.size() > bytes.size() || !isValidUtf16(decoded))
        std::abort();
    return 0;
}
