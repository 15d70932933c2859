// Parses any bytes as a queue file; saving the items and parsing again must give them back.
#include "queuefile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QStringList items = parseQueue(bytes);
    for (const QString &item : items) {
        if (item.contains(u'\r') || item.contains(u'\n') || item.contains(QChar(0)))
            std::abort();
    }
    // A first item starting with U+FEFF reads back as a byte-order mark.
    const bool leadingMark = !items.isEmpty() && items.first().startsWith(QChar(0xFEFF));
    if (!leadingMark && parseQueue(formatQueue(items)) != items)
        std::abort();
    return 0;
}
