#include "wordlayout.h"

#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

double WordLayout::lineTop(const QTextDocument &document, qsizetype characterPosition)
{
    const QTextBlock block = document.findBlock(int(characterPosition));
    if (!block.isValid())
        return -1;
    const QRectF box = document.documentLayout()->blockBoundingRect(block);
    const QTextLayout *layout = block.layout();
    const QTextLine line =
        layout ? layout->lineForTextPosition(int(characterPosition - block.position()))
               : QTextLine();
    return box.top() + (line.isValid() ? line.y() : 0);
}

double WordLayout::wordTop(const QTextDocument &document, qsizetype word) const
{
    if (word < 0 || word >= m_starts.size())
        return -1;
    return lineTop(document, m_starts.at(word));
}
