// Reads any bytes as an RTF script; checks the limits every caller relies on.
#include "rtftext.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::optional<QStringList> lines = rtfToLines(bytes);
    if (!lines)
        return 0;
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
