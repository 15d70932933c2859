// Decodes any bytes as a plain text script; checks what every caller relies on.
#include "textdecoder.h"

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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString text = decodeText(bytes);
    if (text.contains(QChar(0)) || !isValidUtf16(text))
        std::abort();
    const QStringList lines = splitLines(text);
    for (const QString &line : lines) {
        if (line.contains(u'\r') || line.contains(u'\n'))
            std::abort();
    }
    if (decodeLines(bytes) != lines)
        std::abort();
    // What the program writes must read back unchanged; a leading U+FEFF would read as a mark.
    if (!text.startsWith(QChar(0xFEFF)) && decodeText(encodeText(text)) != text)
        std::abort();
    return 0;
}
