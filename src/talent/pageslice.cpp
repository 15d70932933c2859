#include "pageslice.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextFrame>

#include <algorithm>

namespace {

// The frame below the page's root that holds `position`, or null in the root itself.
QTextFrame *outerFrameAt(const QTextDocument &page, int position)
{
    QTextCursor cursor(const_cast<QTextDocument *>(&page));
    cursor.setPosition(position);
    QTextFrame *frame = cursor.currentFrame();
    const QTextFrame *root = page.rootFrame();
    if (!frame || frame == root)
        return nullptr;
    while (frame->parentFrame() && frame->parentFrame() != root)
        frame = frame->parentFrame();
    return frame;
}

} // namespace

PageSlice sliceAround(const QTextDocument &page, int position, int characters)
{
    const int last = qMax(0, page.characterCount() - 1); // the closing paragraph mark
    position = std::clamp(position, 0, last);
    characters = qMax(0, characters);
    PageSlice slice;
    slice.from = page.findBlock(qMax(0, position - characters)).position();
    const QTextBlock end = page.findBlock(qMin(last, position + characters));
    slice.to = end.isValid() ? end.position() + end.length() - 1 : last;
    // A cut through a table would copy part of it as a table of its own.
    if (QTextFrame *frame = outerFrameAt(page, slice.from))
        slice.from = frame->firstPosition() - 1;
    if (QTextFrame *frame = outerFrameAt(page, slice.to))
        slice.to = frame->lastPosition() + 1;
    slice.from = std::clamp(slice.from, 0, last);
    slice.to = std::clamp(slice.to, slice.from, last);
    return slice;
}

std::unique_ptr<QTextDocument> copySlice(const QTextDocument &page, const PageSlice &slice)
{
    auto copy = std::make_unique<QTextDocument>();
    copy->setUndoRedoEnabled(false);
    copy->setDefaultFont(page.defaultFont());
    copy->setDocumentMargin(page.documentMargin());
    copy->setDefaultTextOption(page.defaultTextOption());
    copy->setDefaultStyleSheet(page.defaultStyleSheet());
    copy->setIndentWidth(page.indentWidth());
    copy->rootFrame()->setFrameFormat(page.rootFrame()->frameFormat());
    QTextCursor source(const_cast<QTextDocument *>(&page));
    source.setPosition(slice.from);
    source.setPosition(slice.to, QTextCursor::KeepAnchor);
    QTextCursor out(copy.get());
    out.insertFragment(QTextDocumentFragment(source));
    // A fragment leaves out the format of the block it starts in.
    const QTextBlock first = page.findBlock(slice.from);
    out.setPosition(0);
    out.setBlockFormat(first.blockFormat());
    out.setBlockCharFormat(first.charFormat());
    return copy;
}
