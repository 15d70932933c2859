#include "textspot.h"

#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <optional>

namespace {

// The page's y of the block's layout origin; lays the page out up to the block.
qreal blockOrigin(const QTextDocument &document, const QTextBlock &block)
{
    const QRectF box = document.documentLayout()->blockBoundingRect(block);
    return box.top() - block.layout()->boundingRect().top();
}

// The first laid-out line after `block`'s line `index`, as a box; none at the end.
std::optional<LineBox> lineAfter(const QTextDocument &document, QTextBlock block, int index)
{
    if (index + 1 < block.layout()->lineCount()) {
        const QTextLine line = block.layout()->lineAt(index + 1);
        const qreal origin = blockOrigin(document, block);
        return LineBox{origin + line.y(), origin + line.y() + line.height(),
                       block.position() + line.textStart()};
    }
    for (block = block.next(); block.isValid(); block = block.next()) {
        if (!block.isVisible())
            continue;
        const qreal origin = blockOrigin(document, block);
        if (block.layout()->lineCount() == 0)
            continue;
        const QTextLine line = block.layout()->lineAt(0);
        return LineBox{origin + line.y(), origin + line.y() + line.height(), block.position()};
    }
    return std::nullopt;
}

} // namespace

TextSpot textSpotAt(const QTextDocument &document, qreal y)
{
    QAbstractTextDocumentLayout *layout = document.documentLayout();
    // The last visible block whose top is at or above y.
    int low = 0;
    int high = document.blockCount() - 1;
    while (low < high) {
        const int middle = (low + high + 1) / 2;
        const QTextBlock block = document.findBlockByNumber(middle);
        if (!block.isVisible() || layout->blockBoundingRect(block).top() <= y)
            low = middle;
        else
            high = middle - 1;
    }
    QTextBlock block = document.findBlockByNumber(low);
    for (; block.isValid(); block = block.previous()) {
        if (block.isVisible() && !layout->blockBoundingRect(block).isNull() &&
            block.layout()->lineCount() > 0)
            break;
    }
    if (!block.isValid())
        return {};
    const qreal origin = blockOrigin(document, block);
    const QTextLayout *lines = block.layout();
    int index = 0;
    while (index + 1 < lines->lineCount() && origin + lines->lineAt(index + 1).y() <= y)
        ++index;
    const QTextLine line = lines->lineAt(index);
    TextSpot spot;
    spot.position = block.position() + line.textStart();
    const qreal top = origin + line.y();
    if (y < top) {
        spot.beyond = y - top;
        if (const auto next = lineAfter(document, block, index))
            spot.nextPosition = next->position;
        return spot;
    }
    if (const auto next = lineAfter(document, block, index)) {
        spot.nextPosition = next->position;
        spot.fraction = next->top > top ? qMin<qreal>(1, (y - top) / (next->top - top)) : 0;
        return spot;
    }
    const qreal bottom = top + line.height();
    spot.fraction = bottom > top ? qMin<qreal>(1, (y - top) / (bottom - top)) : 0;
    spot.beyond = qMax<qreal>(0, y - bottom);
    return spot;
}

LineBox lineHolding(const QTextDocument &document, int position)
{
    QTextBlock block = position < 0
                           ? document.lastBlock()
                           : document.findBlock(qMin(position, document.characterCount() - 1));
    for (; block.isValid(); block = block.previous()) {
        if (!block.isVisible())
            continue;
        const qreal origin = blockOrigin(document, block);
        const QTextLayout *lines = block.layout();
        if (lines->lineCount() == 0)
            continue;
        QTextLine line = position < 0 || position < block.position()
                             ? lines->lineAt(lines->lineCount() - 1)
                             : lines->lineForTextPosition(position - block.position());
        if (!line.isValid())
            line = lines->lineAt(lines->lineCount() - 1);
        return {origin + line.y(), origin + line.y() + line.height(),
                block.position() + line.textStart()};
    }
    return {};
}

qreal heightOfSpot(const QTextDocument &document, const TextSpot &spot)
{
    if (spot.position < 0)
        return spot.beyond;
    const LineBox line = lineHolding(document, spot.position);
    // After the other layout's last line, this one's last line ends the span.
    const qreal next = spot.nextPosition >= 0 ? lineHolding(document, spot.nextPosition).top
                                              : lineHolding(document, -1).bottom;
    return line.top + spot.fraction * (next - line.top) + spot.beyond;
}
