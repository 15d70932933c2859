#include "htmlview.h"

#include "latinkeys.h"
#include "mirror.h"

#include "texts.h"

#include <QAbstractTextDocumentLayout>
#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QKeyEvent>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QRegularExpression>
#include <QResizeEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextBoundaryFinder>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextList>
#include <QTimer>
#include <QtMath>

#include <algorithm>
#include <malloc.h>
#include <memory>

namespace {

constexpr int kFetchTimeoutMs = 10000;
constexpr qint64 kMaxFetchBytes = 8 * 1024 * 1024;

QString errorPage(const QString &address, const QString &reason)
{
    return QStringLiteral("<html><body style=\"color:#FFFFFF;background-color:#000000\">"
                          "<h3>") +
           texts::rsPageCannotBeShown + QStringLiteral("</h3><p>") + address.toHtmlEscaped() +
           QStringLiteral("</p><p>") + reason.toHtmlEscaped() +
           QStringLiteral("</p></body></html>");
}

QString directoryPage(const QString &path)
{
    QString html = QStringLiteral("<html><body style=\"color:#FFFFFF;background-color:#000000\">"
                                  "<h3>") +
                   path.toHtmlEscaped() + QStringLiteral("</h3>");
    const QDir dir(path);
    const QFileInfoList entries =
        dir.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::DirsFirst | QDir::Name);
    for (const QFileInfo &entry : entries) {
        html += entry.fileName().toHtmlEscaped() +
                (entry.isDir() ? QStringLiteral("/") : QString()) + QStringLiteral("<br>");
    }
    return html + QStringLiteral("</body></html>");
}

// A copy of `parsed` with every line break turned into a paragraph of its own,
// or nullptr when the page holds tables or lists, which the copy cannot carry.
// The engine keeps a run of <br> lines as one paragraph and redraws all of it
// on every scroll step; as paragraphs only the visible lines are drawn.
std::unique_ptr<QTextDocument> blockPerLine(const QTextDocument &parsed)
{
    if (!parsed.rootFrame()->childFrames().isEmpty())
        return nullptr;
    auto copy = std::make_unique<QTextDocument>();
    copy->setUndoRedoEnabled(false);
    copy->setDefaultFont(parsed.defaultFont());
    copy->setDocumentMargin(parsed.documentMargin());
    copy->setDefaultTextOption(parsed.defaultTextOption());
    copy->setMetaInformation(QTextDocument::DocumentTitle,
                             parsed.metaInformation(QTextDocument::DocumentTitle));
    copy->rootFrame()->setFrameFormat(parsed.rootFrame()->frameFormat());
    QTextCursor out(copy.get());
    out.beginEditBlock();
    bool first = true;
    for (QTextBlock block = parsed.begin(); block.isValid(); block = block.next()) {
        if (block.textList())
            return nullptr;
        const QTextBlockFormat format = block.blockFormat();
        const int breaks = int(block.text().count(QChar::LineSeparator));
        const auto piece = [&](int index) {
            QTextBlockFormat f = format;
            if (index > 0) {
                f.setTopMargin(0);
                f.setTextIndent(0);
            }
            if (index < breaks)
                f.setBottomMargin(0);
            return f;
        };
        if (first) {
            out.setBlockFormat(piece(0));
            out.setBlockCharFormat(block.charFormat());
            first = false;
        } else {
            out.insertBlock(piece(0), block.charFormat());
        }
        int index = 0;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat chars = fragment.charFormat();
            const QString text = fragment.text();
            qsizetype from = 0;
            for (qsizetype at = text.indexOf(QChar::LineSeparator); at >= 0;
                 at = text.indexOf(QChar::LineSeparator, from)) {
                out.insertText(text.mid(from, at - from), chars);
                QTextCharFormat next = chars;
                // An empty line's anchor sits on its break, which becomes a
                // paragraph end: the line's own empty paragraph keeps it.
                if (!chars.anchorNames().isEmpty()) {
                    if (out.block().length() == 1)
                        out.setBlockCharFormat(chars);
                    next.setAnchorNames({});
                }
                out.insertBlock(piece(++index), next);
                from = at + 1;
            }
            out.insertText(text.mid(from), chars);
        }
    }
    out.endEditBlock();
    return copy;
}

// The engine breaks a paragraph into lines by looking ahead for a break
// opportunity from every line start, so a paragraph without one costs time
// growing with the square of its length (a 1 MB unbroken line took many
// seconds). Longer lines go into consecutive paragraphs of at most this many
// characters; such a line wraps anyway, so only the line before each cut may
// end a little early.
constexpr qsizetype kMaxParagraph = 1000;
// The anchors that find a section's first line on the page.
const QString kMarkName = QStringLiteral("tavrix-mark-");

// Where to end a paragraph within `text`: the last break opportunity in
// (from, to], else the last character boundary at or before `to`.
qsizetype paragraphCut(QStringView text, qsizetype from, qsizetype to)
{
    // Whether a break may fall before a character depends on a few around it.
    constexpr qsizetype context = 16;
    const qsizetype begin = qMax<qsizetype>(0, from - context);
    const QStringView window = text.mid(begin, qMin(text.size(), to + context) - begin);
    QTextBoundaryFinder lines(QTextBoundaryFinder::Line, window);
    lines.setPosition(to - begin + 1);
    const qsizetype opportunity = begin + lines.toPreviousBoundary();
    if (opportunity > from)
        return opportunity;
    const qsizetype near = qMax(begin, to - context);
    QTextBoundaryFinder clusters(QTextBoundaryFinder::Grapheme, window.mid(near - begin));
    clusters.setPosition(to - near);
    if (clusters.isAtBoundary())
        return to;
    const qsizetype boundary = near + clusters.toPreviousBoundary();
    return boundary > from ? boundary : to;
}

// Splits every paragraph longer than kMaxParagraph into consecutive
// paragraphs that together keep its margins and indent; the text is unchanged.
void splitLongParagraphs(QTextDocument &document)
{
    QTextCursor cursor(&document);
    cursor.beginEditBlock();
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block.length() - 1 <= kMaxParagraph)
            continue;
        const QString text = block.text();
        const int start = block.position();
        QList<qsizetype> cuts;
        for (qsizetype at = 0; text.size() - at > kMaxParagraph;) {
            at += paragraphCut(QStringView(text).mid(at), kMaxParagraph / 2, kMaxParagraph);
            cuts.append(at);
        }
        const QTextBlockFormat format = block.blockFormat();
        QTextBlockFormat inner = format;
        inner.setTopMargin(0);
        inner.setBottomMargin(0);
        inner.setTextIndent(0);
        if (QTextList *list = block.textList()) {
            // A continuation is no new list item: no bullet of its own, text aligned.
            inner.setObjectIndex(-1);
            inner.setIndent(format.indent() + list->format().indent());
        }
        QTextBlockFormat last = inner;
        last.setBottomMargin(format.bottomMargin());
        QTextBlockFormat first = format;
        first.setBottomMargin(0);
        // From the end, so that the positions before each cut stay valid.
        for (qsizetype i = cuts.size() - 1; i >= 0; --i) {
            cursor.setPosition(start + int(cuts.at(i)));
            cursor.insertBlock(i == cuts.size() - 1 ? last : inner, cursor.charFormat());
        }
        cursor.setPosition(start);
        cursor.setBlockFormat(first);
        block = document.findBlock(start + int(cuts.constLast()));
    }
    cursor.endEditBlock();
}

} // namespace

HtmlView::HtmlView(QWidget *parent) : QTextBrowser(parent)
{
    setOpenLinks(false);
    setOpenExternalLinks(false);
    setTextInteractionFlags(Qt::NoTextInteraction);
    setContextMenuPolicy(Qt::NoContextMenu);
    viewport()->setContextMenuPolicy(Qt::NoContextMenu);
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    // A scroll bar that comes and goes would rewrap the page after its length was measured.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setUndoRedoEnabled(false);
    QPalette pal = palette();
    pal.setColor(QPalette::Base, Qt::black);
    pal.setColor(QPalette::Text, Qt::white);
    setPalette(pal);
    verticalScrollBar()->setSingleStep(20);
}

struct HtmlView::Wait
{
    QEventLoop loop;
    bool woken = false; // by the view rather than by the program quitting
};

HtmlView::~HtmlView()
{
    m_destroying = true;
    wakeWaits();
}

void HtmlView::findMarks()
{
    m_marks.clear();
    if (m_markCount == 0)
        return;
    const auto take = [this](const QTextCharFormat &format, int position) {
        for (const QString &name : format.anchorNames()) {
            if (!name.startsWith(kMarkName))
                continue;
            bool number = false;
            const qsizetype index = QStringView(name).mid(kMarkName.size()).toLongLong(&number);
            if (number && index >= 0 && index < m_markCount)
                m_marks.emplace_back(index, position);
        }
    };
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        if (block.length() == 1)
            take(block.charFormat(), block.position());
        for (auto it = block.begin(); !it.atEnd(); ++it)
            take(it.fragment().charFormat(), it.fragment().position());
    }
}

HtmlView::LinePlace HtmlView::markPlace(qsizetype index) const
{
    if (m_loading || m_marks.empty())
        return {};
    // Marks are in page order, and so mostly where their index says.
    const auto found = std::lower_bound(
        m_marks.begin(), m_marks.end(), index,
        [](const std::pair<qsizetype, int> &mark, qsizetype i) { return mark.first < i; });
    if (found == m_marks.end() || found->first != index)
        return {};
    const int position = found->second;
    const QTextBlock block = document()->findBlock(position);
    if (!block.isValid() || !block.layout())
        return {};
    const QRectF box = document()->documentLayout()->blockBoundingRect(block);
    const QTextLine row = block.layout()->lineForTextPosition(position - block.position());
    if (!row.isValid())
        return {qFloor(box.top()), qCeil(box.height())};
    return {qFloor(box.top() + row.y()), qCeil(row.height())};
}

qsizetype HtmlView::markAt(int y) const
{
    if (m_loading)
        return -1;
    // Rows go down the page in mark order: the last one at or above y.
    qsizetype low = 0;
    qsizetype high = qsizetype(m_marks.size());
    while (low < high) {
        const qsizetype middle = (low + high) / 2;
        if (markPlace(m_marks.at(std::size_t(middle)).first).top <= y)
            low = middle + 1;
        else
            high = middle;
    }
    return low == 0 ? -1 : m_marks.at(std::size_t(low - 1)).first;
}

QString HtmlView::shownText(int fromY, int toY) const
{
    if (m_loading || !m_hasDocument)
        return {};
    QAbstractTextDocumentLayout *layout = document()->documentLayout();
    const auto rowStart = [&](int y) {
        // Rows meet at fractions of a pixel; a row's top rounds down to y.
        const int position = layout->hitTest(QPointF(0, y + 0.5), Qt::FuzzyHit);
        if (position < 0)
            return 0;
        const QTextBlock block = document()->findBlock(position);
        const QTextLine row = block.layout()
                                  ? block.layout()->lineForTextPosition(position - block.position())
                                  : QTextLine();
        return row.isValid() ? block.position() + row.textStart() : block.position();
    };
    const int from = rowStart(std::max(0, fromY));
    const int end = document()->characterCount() - 1;
    const int to = toY < 0 ? end : std::clamp(rowStart(toY), from, end);
    QTextCursor cursor(document());
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    return cursor.selectedText();
}

int HtmlView::readingLine() const
{
    return viewport()->height() / 3;
}

void HtmlView::setMarginMarksShown(bool shown)
{
    if (shown == m_marginMarks)
        return;
    m_marginMarks = shown;
    viewport()->update();
}

void HtmlView::setOverlayText(const QString &text)
{
    if (text == m_overlay)
        return;
    m_overlay = text;
    viewport()->update();
}

void HtmlView::setReadingLineShown(bool shown)
{
    if (shown == m_readingLine)
        return;
    m_readingLine = shown;
    viewport()->update();
}

QString HtmlView::unwrapStyleComments(const QString &html)
{
    static const QRegularExpression style(QStringLiteral("(<style[^>]*>)(.*?)(</style>)"),
                                          QRegularExpression::CaseInsensitiveOption |
                                              QRegularExpression::DotMatchesEverythingOption);
    QString result;
    result.reserve(html.size());
    qsizetype last = 0;
    auto it = style.globalMatch(html);
    while (it.hasNext()) {
        const auto match = it.next();
        result += QStringView(html).mid(last, match.capturedStart(2) - last);
        QString body = match.captured(2);
        body.remove(QStringLiteral("<!--")).remove(QStringLiteral("-->"));
        result += body;
        last = match.capturedEnd(2);
    }
    result += QStringView(html).mid(last);
    return result;
}

QString HtmlView::escapeStrayLessThan(const QString &html)
{
    QString result;
    result.reserve(html.size() + 16);
    const qsizetype n = html.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = html.at(i);
        if (c != QLatin1Char('<')) {
            result += c;
            continue;
        }
        const QChar next = i + 1 < n ? html.at(i + 1) : QChar();
        const bool opensMarkup = (next.unicode() < 128 && next.isLetter()) ||
                                 next == QLatin1Char('/') || next == QLatin1Char('!') ||
                                 next == QLatin1Char('?');
        result += opensMarkup ? QStringView(u"<") : QStringView(u"&lt;");
    }
    return result;
}

void HtmlView::loadPage(const QStringList &lines, const QList<qsizetype> &markedLines)
{
    QString text;
    qsizetype total = 0;
    for (const QString &line : lines)
        total += line.size() + 2;
    text.reserve(total + markedLines.size() * (kMarkName.size() + 24));
    qsizetype mark = 0;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        // An empty anchor names the character that follows it: the line's first.
        while (mark < markedLines.size() && markedLines.at(mark) <= i) {
            if (markedLines.at(mark) == i)
                text += QStringLiteral("<a name=\"%1%2\"></a>").arg(kMarkName).arg(mark);
            ++mark;
        }
        text += lines.at(i);
        text += QLatin1String("\r\n");
    }
    beginLoad(escapeStrayLessThan(unwrapStyleComments(text)), QStringLiteral("about:blank"),
              markedLines.size());
}

void HtmlView::navigate(const QString &address)
{
    if (address.trimmed().isEmpty())
        return;
    const QFileInfo info(address);
    if (info.isDir()) {
        beginLoad(directoryPage(info.absoluteFilePath()),
                  QStringLiteral("file:///") + info.absoluteFilePath());
        return;
    }
    const QUrl url = QUrl::fromUserInput(address);
    if (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https")) {
        fetch(url);
        return;
    }
    beginLoad(errorPage(address, texts::rsAddressNotSupported), address);
}

void HtmlView::fetch(const QUrl &url)
{
    if (!m_network)
        m_network = new QNetworkAccessManager(this);
    m_loading = true;
    const quint64 generation = ++m_generation;
    m_fetchGeneration = generation;
    m_pendingMarkCount = 0;
    // A scroll step waiting for a page this fetch replaces need wait no more.
    wakeWaits();
    QNetworkRequest request(url);
    request.setTransferTimeout(kFetchTimeoutMs);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    QNetworkReply *reply = m_network->get(request);
    connect(reply, &QNetworkReply::downloadProgress, reply, [reply](qint64 received, qint64) {
        if (received > kMaxFetchBytes)
            reply->abort();
    });
    // The transfer timeout counts silence only; a server that trickles a byte
    // now and then is cut off at the same bound.
    QTimer::singleShot(kFetchTimeoutMs, reply, [reply] { reply->abort(); });
    connect(reply, &QNetworkReply::finished, this, [this, reply, generation, url] {
        reply->deleteLater();
        if (generation != m_generation)
            return;
        m_fetchGeneration = 0;
        const QString address = url.toString();
        if (reply->error() != QNetworkReply::NoError) {
            m_pendingHtml = errorPage(address, reply->errorString());
        } else {
            m_pendingHtml = QString::fromUtf8(reply->readAll());
        }
        m_pendingAddress = address;
        finishLoad(generation);
    });
}

void HtmlView::beginLoad(const QString &html, const QString &address, qsizetype markCount)
{
    m_pendingMarkCount = markCount;
    m_pendingHtml = html;
    m_pendingAddress = address;
    m_loading = true;
    const quint64 generation = ++m_generation;
    QMetaObject::invokeMethod(
        this, [this, generation] { finishLoad(generation); }, Qt::QueuedConnection);
}

void HtmlView::finishLoad(quint64 generation)
{
    // A scroll command may have shown the page already.
    if (generation != m_generation || !m_loading)
        return;
    m_engineText = std::exchange(m_pendingHtml, QString());
    m_marks.clear();
    m_markCount = 0;
    auto parsed = std::make_unique<QTextDocument>();
    parsed->setUndoRedoEnabled(false);
    parsed->setDefaultFont(font());
    // The page may name images or style sheets; the prompter loads none of them.
    parsed->setResourceProvider([](const QUrl &) { return QVariant(); });
    parsed->setHtml(m_engineText);
    std::unique_ptr<QTextDocument> shown = blockPerLine(*parsed);
    if (!shown)
        shown = std::move(parsed);
    splitLongParagraphs(*shown);
    shown->setParent(this);
    QTextDocument *previous = m_document;
    m_document = shown.release();
    setDocument(m_document);
    delete previous;
    // The editor lays a page out lazily and sizes its scroll bar from an
    // estimate; lay all of it out at the view's width now and size the scroll
    // bar again, so that positions are final when the page completes.
    QResizeEvent resize(size(), size());
    QCoreApplication::sendEvent(this, &resize);
    const int height = qCeil(document()->documentLayout()->documentSize().height());
    verticalScrollBar()->setRange(0, qMax(0, height - viewport()->height()));
    // The load's copies are freed, but the allocator would keep their pages:
    // about 16 MB at 10,000 lines and 160 MB at 100,000 that nothing uses.
    parsed.reset();
    malloc_trim(0);
    m_markCount = std::exchange(m_pendingMarkCount, 0);
    findMarks();
    m_hasDocument = true;
    m_loading = false;
    wakeWaits();
    Q_EMIT documentComplete(m_pendingAddress);
}

void HtmlView::waitUntilReady()
{
    awaitLoad(true);
}

bool HtmlView::hasWindow() const
{
    const QWidget *top = window();
    return !m_destroying && top->windowHandle() && top->isVisible();
}

void HtmlView::wakeWaits()
{
    for (Wait *wait : m_waits) {
        wait->woken = true;
        wait->loop.exit();
    }
}

bool HtmlView::awaitLoad(bool includingFetch)
{
    const auto pending = [this, includingFetch] {
        return m_loading && (includingFetch || !isFetching());
    };
    if (!pending() || !hasWindow() || QCoreApplication::closingDown())
        return true;
    const QPointer<HtmlView> self(this);
    // A page handed over but not yet shown is shown now rather than waited
    // for: a scroll command never turns the event loop, where the timer or
    // socket that called it could be deleted under it. Only a fetch is
    // waited for, and only by waitUntilReady.
    if (!isFetching()) {
        finishLoad(m_generation);
        return self;
    }
    // Entering an event loop drops a quit that is already posted (closing the
    // last window posts one); deliver it first, so that the program still ends.
    QCoreApplication::sendPostedEvents(QCoreApplication::instance(), QEvent::Quit);
    // An event loop, unlike processing events by hand, ends when the program
    // is asked to quit, and does not start once it has been.
    while (self && pending() && hasWindow() && !QCoreApplication::closingDown()) {
        Wait wait;
        m_waits.push_back(&wait);
        wait.loop.exec();
        if (!self)
            return false;
        std::erase(m_waits, &wait);
        if (!wait.woken)
            break;
    }
    return self;
}

int HtmlView::scrollPosition() const
{
    return m_hasDocument ? verticalScrollBar()->value() : -1;
}

void HtmlView::scrollTo(int x, int y)
{
    if (!awaitLoad(false) || !m_hasDocument)
        return;
    horizontalScrollBar()->setValue(x);
    verticalScrollBar()->setValue(y);
}

void HtmlView::scrollToTop()
{
    scrollTo(0, 0);
}

void HtmlView::scrollToBottom()
{
    if (!awaitLoad(false) || !m_hasDocument)
        return;
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

void HtmlView::print()
{
    if (!m_hasDocument || !m_printHook)
        return;
    m_printHook(document());
}

void HtmlView::focus()
{
    setFocus(Qt::OtherFocusReason);
}

void HtmlView::setMirrored(bool leftToRight, bool topToBottom)
{
    if (m_mirrorX == leftToRight && m_mirrorY == topToBottom)
        return;
    m_mirrorX = leftToRight;
    m_mirrorY = topToBottom;
    viewport()->update();
}

void HtmlView::paintEvent(QPaintEvent *event)
{
    if (!m_mirrorX && !m_mirrorY) {
        QTextBrowser::paintEvent(event);
        if (drawsOverPage()) {
            QPainter painter(viewport());
            paintShowMarks(painter, event->rect());
        }
        return;
    }
    QWidget *port = viewport();
    const QTransform flip = mirrorTransform(port->size(), m_mirrorX, m_mirrorY);
    const QPoint offset(horizontalScrollBar()->value(), verticalScrollBar()->value());
    // The flip is its own inverse: the damaged area maps to the page's area the same way.
    const QRect area = flip.mapRect(event->rect()).translated(offset);
    QPainter painter(port);
    painter.setTransform(flip);
    painter.translate(-offset);
    painter.setClipRect(area);
    QAbstractTextDocumentLayout::PaintContext context;
    context.clip = area;
    context.palette = palette();
    document()->documentLayout()->draw(&painter, context);
    if (drawsOverPage()) {
        painter.resetTransform();
        painter.setClipping(false);
        painter.setTransform(flip);
        paintShowMarks(painter, flip.mapRect(event->rect()));
    }
}

bool HtmlView::drawsOverPage() const
{
    return (m_marginMarks && !m_marks.empty()) || m_readingLine || !m_overlay.isEmpty();
}

void HtmlView::paintShowMarks(QPainter &painter, const QRect &area)
{
    // `area` and the painter are in viewport coordinates, before any flip.
    const int scroll = verticalScrollBar()->value();
    painter.setRenderHint(QPainter::Antialiasing);
    if (m_marginMarks && !m_marks.empty() && !m_loading) {
        const qsizetype first = std::max<qsizetype>(0, markAt(scroll + area.top()));
        const int width = std::max(2, qRound(document()->documentMargin()) - 1);
        for (qsizetype i = first; i < m_markCount; ++i) {
            const LinePlace place = markPlace(i);
            if (place.top < 0)
                continue;
            if (place.top - scroll > area.bottom())
                break;
            painter.fillRect(QRect(0, place.top - scroll, width, place.height),
                             QColor(0x80, 0x80, 0x80));
        }
    }
    if (m_readingLine) {
        const qreal half = qMax(6, viewport()->height() / 30);
        const int y = readingLine();
        QPainterPath marker;
        marker.moveTo(0, y - half);
        marker.lineTo(half * 1.2, y);
        marker.lineTo(0, y + half);
        marker.closeSubpath();
        painter.fillPath(marker, QColor(0xC0, 0xC0, 0xC0));
    }
    if (!m_overlay.isEmpty()) {
        // As tall as the view allows, and narrow enough for two digits and more.
        const QRect box = viewport()->rect();
        QFont big = font();
        big.setBold(true);
        big.setPixelSize(
            std::max(8, std::min(box.height() * 4 / 5, box.width() / int(m_overlay.size() + 1))));
        painter.setFont(big);
        // On a black ground of its own, so that the page's text does not run through it.
        const QRect ground = painter.fontMetrics()
                                 .boundingRect(box, Qt::AlignCenter, m_overlay)
                                 .adjusted(-big.pixelSize() / 4, 0, big.pixelSize() / 4, 0)
                                 .intersected(box);
        painter.fillRect(ground, Qt::black);
        painter.setPen(Qt::white);
        painter.drawText(box, Qt::AlignCenter, m_overlay);
    }
}

void HtmlView::scrollContentsBy(int dx, int dy)
{
    if (!m_mirrorX && !m_mirrorY) {
        QTextBrowser::scrollContentsBy(dx, dy);
    } else {
        // A flipped page moves the other way on the glass.
        viewport()->scroll(m_mirrorX ? -dx : dx, m_mirrorY ? -dy : dy);
    }
    // The overlay and the triangle stay where they are while the page moves under them.
    if (!m_overlay.isEmpty()) {
        viewport()->update();
    } else if (m_readingLine) {
        const int half = qMax(6, viewport()->height() / 30);
        const QRect triangle(0, readingLine() - half - 1, half * 2, half * 2 + 2);
        viewport()->update(
            mirrorTransform(viewport()->size(), m_mirrorX, m_mirrorY).mapRect(triangle));
    }
}

bool HtmlView::handleScrollKey(QKeyEvent *event)
{
    QScrollBar *v = verticalScrollBar();
    QScrollBar *h = horizontalScrollBar();
    switch (event->key()) {
    case Qt::Key_Up:
        v->triggerAction(QAbstractSlider::SliderSingleStepSub);
        return true;
    case Qt::Key_Down:
        v->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        return true;
    case Qt::Key_PageUp:
        v->triggerAction(QAbstractSlider::SliderPageStepSub);
        return true;
    case Qt::Key_PageDown:
        v->triggerAction(QAbstractSlider::SliderPageStepAdd);
        return true;
    case Qt::Key_Space:
        v->triggerAction(event->modifiers() & Qt::ShiftModifier
                             ? QAbstractSlider::SliderPageStepSub
                             : QAbstractSlider::SliderPageStepAdd);
        return true;
    case Qt::Key_Home:
        v->triggerAction(QAbstractSlider::SliderToMinimum);
        return true;
    case Qt::Key_End:
        v->triggerAction(QAbstractSlider::SliderToMaximum);
        return true;
    case Qt::Key_Left:
        h->triggerAction(QAbstractSlider::SliderSingleStepSub);
        return true;
    case Qt::Key_Right:
        h->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        return true;
    default:
        return false;
    }
}

void HtmlView::keyPressEvent(QKeyEvent *event)
{
    Q_EMIT keyDown(latinLetterKey(event->key(), event->text(), event->nativeScanCode()),
                   event->modifiers());
    // The key is not consumed: the page's own scrolling keys still work.
    if (m_destroying)
        return;
    const bool ctrlN = event->key() == Qt::Key_N && event->modifiers() == Qt::ControlModifier;
    if (!ctrlN)
        handleScrollKey(event);
    event->accept();
}

bool HtmlView::focusNextPrevChild(bool)
{
    // Tab is a key of the page like any other, not a way out of it.
    return false;
}

void HtmlView::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    if (event->button() == Qt::LeftButton || event->button() == Qt::RightButton)
        Q_EMIT click(event->button());
}

void HtmlView::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
}

void HtmlView::mouseMoveEvent(QMouseEvent *event)
{
    event->accept();
}

void HtmlView::mouseDoubleClickEvent(QMouseEvent *event)
{
    // A double click arrives instead of its second press.
    mousePressEvent(event);
}

void HtmlView::contextMenuEvent(QContextMenuEvent *event)
{
    event->accept();
}

void HtmlView::hideEvent(QHideEvent *event)
{
    QTextBrowser::hideEvent(event);
    // A wait ends when the window closes.
    wakeWaits();
}

QVariant HtmlView::loadResource(int, const QUrl &)
{
    // The page may name images or style sheets; the prompter loads none of them.
    return {};
}
