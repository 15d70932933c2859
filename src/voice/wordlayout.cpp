#include "wordlayout.h"

#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>

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

double WordLayout::readingTop(const QTextDocument &document, qsizetype word) const
{
    if (word < 0 || word >= m_starts.size())
        return -1;
    const qsizetype position = m_starts.at(word);
    const QTextBlock block = document.findBlock(int(position));
    const QTextLayout *layout = block.isValid() ? block.layout() : nullptr;
    const QTextLine line =
        layout ? layout->lineForTextPosition(int(position - block.position())) : QTextLine();
    if (!line.isValid())
        return lineTop(document, position);
    const double top = document.documentLayout()->blockBoundingRect(block).top() + line.y();
    const qsizetype lineStart = block.position() + line.textStart();
    const qsizetype lineEnd = lineStart + line.textLength();
    const auto first = std::lower_bound(m_starts.begin(), m_starts.end(), lineStart);
    const auto last = std::lower_bound(m_starts.begin(), m_starts.end(), lineEnd);
    const auto onLine = std::max<qsizetype>(1, last - first);
    const qsizetype said = word - (first - m_starts.begin()) + 1;
    // Short of the next line by a share: the line's first word, once said, brings it up.
    return top +
           line.height() * double(std::clamp<qsizetype>(said, 1, onLine)) / double(onLine + 1);
}
