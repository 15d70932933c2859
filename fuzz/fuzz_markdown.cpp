// Reads any text as a Markdown script; checks the limits every caller relies on.
#include "documentcheck.h"
#include "markdowntext.h"

#include <QString>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    checkDocument(markdownToLines(text, 50, 5000), 50);
    return 0;
}
