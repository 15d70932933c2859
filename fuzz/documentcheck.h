#pragma once

#include "documentlines.h"

#include <cstdlib>

// What every caller of a document reader relies on: no more lines kept than
// allowed, counts that cover what is kept, headings that point at lines.
inline void checkDocument(const DocumentText &text, qsizetype maxLines)
{
    if (text.lines.size() > maxLines || text.lineCount < text.lines.size())
        std::abort();
    for (const qsizetype heading : text.headings) {
        if (heading < 0 || heading >= text.lines.size())
            std::abort();
    }
}
