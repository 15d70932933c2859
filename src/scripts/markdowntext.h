#pragma once

#include "documentlines.h"

#include <QByteArrayView>

// A Markdown script as it reads: headings, paragraphs and table cells one line
// each (a hard line break starts a new line, a soft one is a space), list items
// with "• " or their number, emphasis and links as their text, code blocks line
// by line; raw HTML and pictures are left out. `text` is the decoded file.
DocumentText markdownToLines(QStringView text, qsizetype maxLines, qsizetype maxCharacters);
