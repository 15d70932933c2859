#pragma once

#include "documentlines.h"

#include <QByteArrayView>

class ZipArchive;

// The body of a Word document (.docx) as script lines: one line per paragraph
// in document order, a line break inside a paragraph starting a new line;
// tables row by row, cell by cell. Tracked deletions, hidden text, field
// codes, pictures and text boxes are left out (headers, footers, notes and
// comments live in parts of their own and are never read); tracked insertions
// and fields' last results are kept. A list item starts with "• " or its
// number as the document's numbering writes it; paragraphs in a heading or
// title style, or with an outline level, are headings.
DocumentText wordDocumentText(const ZipArchive &archive, qsizetype maxLines,
                              qsizetype maxCharacters);

// The same from the parts' XML: the body (word/document.xml), the styles
// (word/styles.xml) and the numbering (word/numbering.xml); either of the
// last two may be empty.
DocumentText wordXmlToLines(QByteArrayView body, QByteArrayView styles, QByteArrayView numbering,
                            qsizetype maxLines, qsizetype maxCharacters);
