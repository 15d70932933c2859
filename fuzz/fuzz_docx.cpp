// Reads any bytes as a Word document's body, styles and numbering; checks the
// limits every caller relies on and that headings point at lines.
#include "tavrixerror.h"
#include "wordtext.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    try {
        const DocumentText text = wordXmlToLines(bytes, bytes, bytes, 50, 5000);
        if (text.lines.size() > 50 || text.lineCount < text.lines.size())
            std::abort();
        for (const qsizetype heading : text.headings) {
            if (heading < 0 || heading >= text.lines.size())
                std::abort();
        }
    } catch (const TavrixError &) {
        // Malformed XML is refused with a message: that is the reader's answer.
    }
    return 0;
}
