// Reads any bytes as an RTF script; checks the limits every caller relies on,
// and that a read in pieces sees what a read of the whole sees.
#include "rtftext.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::optional<QStringList> lines = rtfToLines(bytes);

    // Pieces of 1 to 16 bytes, chosen by the last byte.
    const qsizetype chunk = size > 0 ? data[size - 1] % 16 + 1 : 1;
    qsizetype position = 0;
    const ByteSource source = [&](char *buffer, qsizetype capacity) {
        const qsizetype count = std::min({chunk, capacity, bytes.size() - position});
        if (count > 0)
            std::memcpy(buffer, bytes.data() + position, std::size_t(count));
        position += count;
        return count;
    };
    const std::optional<RtfText> pieces = rtfToLines(source, LineLimits{50, 5000});
    if (lines.has_value() != pieces.has_value() || startsRtf(bytes) != lines.has_value())
        std::abort();
    if (!lines)
        return 0;
    qsizetype characters = 0;
    for (const QString &line : *lines)
        characters += line.size();
    if (pieces->lineCount != lines->size() || pieces->characterCount != characters)
        std::abort();
    const bool withinLimits = lines->size() <= 50 && characters <= 5000;
    if (pieces->lines != (withinLimits ? *lines : QStringList()))
        std::abort();

    for (const QString &line : *lines) {
        if (line.size() > kMaxRichTextLineLength || line.contains(u'\r') || line.contains(u'\n') ||
            line.contains(QChar(0)))
            std::abort();
        for (qsizetype i = 0; i < line.size(); ++i) {
            if (line.at(i).isHighSurrogate() && i + 1 < line.size() &&
                line.at(i + 1).isLowSurrogate())
                ++i;
            else if (line.at(i).isSurrogate())
                std::abort();
        }
    }
    if (cutLongLines(*lines) != *lines)
        std::abort();
    return 0;
}
