// Reads any bytes as a Word document's body, styles and numbering; checks the
// limits every caller relies on and that headings point at lines.
#include "documentcheck.h"
#include "tavrixerror.h"
#include "wordtext.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    try {
        checkDocument(wordXmlToLines(bytes, bytes, bytes, 50, 5000), 50);
    } catch (const TavrixError &) {
        // Malformed XML is refused with a message: that is the reader's answer.
    }
    return 0;
}
