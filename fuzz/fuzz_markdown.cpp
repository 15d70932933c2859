// Reads any text as a Markdown script; checks the limits every caller relies on.
#include "markdowntext.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const DocumentText lines = markdownToLines(text, 50, 5000);
    if (lines.lines.size() > 50 || lines.lineCount < lines.lines.size())
        std::abort();
    for (const qsizetype heading : lines.headings) {
        if (heading < 0 || heading >= lines.lines.size())
            std::abort();
    }
    return 0;
}
