#pragma once

#include "documentlines.h"

#include <QByteArrayView>

class ZipArchive;

// The body of an OpenDocument text (.odt) as script lines, as wordDocumentText
// reads a Word document: one line per paragraph or heading, line breaks
// starting new lines, tables row by row, cell by cell; notes, comments,
// tracked deletions, hidden text, frames and generated indexes left out;
// tracked insertions and fields' shown values kept; list items start with
// "• " or their number as the list's style writes it; headings are headings.
DocumentText openDocumentText(const ZipArchive &archive, qsizetype maxLines,
                              qsizetype maxCharacters);

// The same from content.xml and styles.xml (which may be empty).
DocumentText odfXmlToLines(QByteArrayView content, QByteArrayView styles, qsizetype maxLines,
                           qsizetype maxCharacters);
