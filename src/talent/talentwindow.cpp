#include "talentwindow.h"

#include "htmlview.h"
#include "mirror.h"
#include "talentzoom.h"
#include "texts.h"

#include <QAbstractTextDocumentLayout>
#include <QBackingStore>
#include <QCoreApplication>
#include <QEvent>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRawFont>
#include <QScreen>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QTimer>
#include <QtMath>

#include <algorithm>
#include <cstring>
#include <malloc.h>
#include <optional>

namespace {

// Strips of the page drawn once each; those near the shown part are kept.
constexpr int kTileHeight = 128;
constexpr qint64 kSpareTiles = 1;
// Strips drawn in one frame beyond those at the reading line, which are always drawn.
constexpr qint64 kFrameBudgetNs = 6000000;
// A new full-screen picture's memory is mapped page by page when first written,
// tens of milliseconds in all: this much of it is written at a time before showing.
constexpr qsizetype kPreparedBytesPerStep = 512 * 1024;
// Laying out the coming stretch of the page takes at most this at a time.
constexpr qint64 kLayoutStepNs = 4000000;
// The stretch laid out reaches this many screens either side of the band's
// place; it is cut again when the band comes within half of that of its end.
constexpr int kScreensEachSide = 3;
// Sizes and colours of glyphs numbered before the numbers start again.
constexpr qsizetype kMostFaces = 4096;
// Glyph pictures are costed in KB; a window smaller than a screen still keeps this many MB.
constexpr qint64 kLeastGlyphBudget = 16 * 1024 * 1024;

qint64 floorDivide(qint64 a, qint64 b)
{
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

// Text of an ordinary sentence, to measure what a character of the page takes.
const QString kSample = QStringLiteral("The quick brown fox jumps over the lazy dog, then rests.");

// Whether every mark of the page is a glyph of its text: no tables, lists,
// pictures, rules, lines through or under text, or backgrounds.
bool glyphsOnly(const QTextDocument &page)
{
    if (!page.rootFrame()->childFrames().isEmpty())
        return false;
    for (QTextBlock block = page.begin(); block.isValid(); block = block.next()) {
        const QTextBlockFormat format = block.blockFormat();
        if (block.textList() || format.background().style() != Qt::NoBrush ||
            format.hasProperty(QTextFormat::BlockTrailingHorizontalRulerWidth))
            return false;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat f = it.fragment().charFormat();
            if (f.isImageFormat() || f.fontUnderline() || f.fontStrikeOut() || f.fontOverline() ||
                f.background().style() != Qt::NoBrush ||
                f.underlineStyle() != QTextCharFormat::NoUnderline)
                return false;
        }
    }
    return true;
}

// The page's first font.
QFont firstFont(const QTextDocument &page)
{
    for (QTextBlock block = page.begin(); block.isValid(); block = block.next()) {
        if (auto it = block.begin(); !it.atEnd())
            return it.fragment().charFormat().font();
    }
    return page.defaultFont();
}

} // namespace

bool TalentWindow::Frame::sameLine() const
{
    if (band.position < 0 || talent.position < 0)
        return false;
    return (talent.nextPosition < 0 || talent.nextPosition > band.position) &&
           (band.nextPosition < 0 || talent.position < band.nextPosition);
}

TalentWindow::TalentWindow(HtmlView *band)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus),
      m_band(band), m_characters(talentzoom::kDefaultCharacters)
{
    setObjectName(QStringLiteral("talentWindow"));
    setWindowTitle(texts::rsTalentWindowTitle);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_QuitOnClose, false);
    setCursor(Qt::BlankCursor);
    m_frameTimer = new QTimer(this);
    m_frameTimer->setSingleShot(true);
    m_frameTimer->setTimerType(Qt::PreciseTimer);
    connect(m_frameTimer, &QTimer::timeout, this, &TalentWindow::follow);
    m_paintRetry = new QTimer(this);
    m_paintRetry->setSingleShot(true);
    m_paintRetry->setInterval(1);
    connect(m_paintRetry, &QTimer::timeout, this, [this] {
        QCoreApplication::postEvent(this, new QEvent(QEvent::UpdateRequest), Qt::LowEventPriority);
    });
    m_prepareTimer = new QTimer(this);
    m_prepareTimer->setSingleShot(true);
    connect(m_prepareTimer, &QTimer::timeout, this, &TalentWindow::prepareStep);
    m_layoutTimer = new QTimer(this);
    m_layoutTimer->setSingleShot(true);
    connect(m_layoutTimer, &QTimer::timeout, this, &TalentWindow::layoutStep);
    m_glyphs.setMaxCost(glyphBudgetFor(size()) / 1024);
    // The band may move many times a frame; this window draws only where it is at the frame.
    connect(m_band->verticalScrollBar(), &QScrollBar::valueChanged, this,
            &TalentWindow::scheduleFrame);
    connect(m_band, &HtmlView::documentComplete, this, &TalentWindow::copyPage);
    m_bandViewport = m_band->viewport();
    m_band->viewport()->installEventFilter(this);
    copyPage();
}

TalentWindow::~TalentWindow()
{
    // Hand the pictures' and the layout's pages back rather than keep them.
    m_glyphs.clear();
    m_tiles.clear();
    m_page.reset();
    m_coming.page.reset();
    malloc_trim(0);
}

void TalentWindow::showPrepared()
{
    m_preparedRows = 0;
    m_prepareTimer->start(0);
}

void TalentWindow::prepareStep()
{
    winId();
    QBackingStore *store = backingStore();
    if (store && store->size() != size())
        store->resize(size());
    auto *image = store ? dynamic_cast<QImage *>(store->paintDevice()) : nullptr;
    if (!image || image->isNull() || m_preparedRows >= image->height()) {
        show();
        return;
    }
    // Written through the constant pointer: the picture is the store's, never a copy.
    const int rows =
        qMax(1, int(kPreparedBytesPerStep / qMax<qsizetype>(1, image->bytesPerLine())));
    const int end = qMin(image->height(), m_preparedRows + rows);
    uchar *first = const_cast<uchar *>(image->constScanLine(m_preparedRows));
    std::memset(first, 0, size_t(image->bytesPerLine()) * size_t(end - m_preparedRows));
    m_preparedRows = end;
    m_prepareTimer->start(0);
}

qint64 TalentWindow::glyphBudgetFor(QSize size)
{
    // One screen of text is covered about once by its glyphs' pictures: two
    // screens keep what is shown and what comes in, so a page of repeated
    // glyphs never draws one twice, and a page of new ones is bounded.
    return qMax(kLeastGlyphBudget, qint64(size.width()) * size.height() * 4 * 2);
}

qint64 TalentWindow::glyphBytes() const
{
    return qint64(m_glyphs.totalCost()) * 1024;
}

void TalentWindow::setMirror(const MirrorFlags &flags)
{
    if (m_mirror == flags)
        return;
    m_mirror = flags;
    m_tiles.clear();
    m_glyphs.clear();
    refresh();
}

void TalentWindow::setCharactersPerLine(int characters)
{
    characters = talentzoom::clampCharacters(characters);
    if (characters == m_characters)
        return;
    m_characters = characters;
    relayout();
}

void TalentWindow::copyPage()
{
    QTextDocument *source = m_band->hasDocument() ? m_band->document() : nullptr;
    m_source = source;
    ++m_generation;
    // The stretch shown is of the old page: its positions mean nothing on the new one.
    m_page.reset();
    m_coming.page.reset();
    m_tiles.clear();
    if (source) {
        const QFontMetricsF metrics(firstFont(*source));
        m_characterWidth = metrics.horizontalAdvance(kSample) / qreal(kSample.size());
        m_lineSpacing = qMax(1.0, metrics.lineSpacing());
        requestSlice();
    }
    refresh();
}

void TalentWindow::relayout()
{
    // The stretch shown stays, at its old size, until the new one is laid out.
    ++m_generation;
    m_tiles.clear();
    requestSlice();
    refresh();
}

int TalentWindow::screenCharacters() const
{
    const qreal margin = m_source ? m_source->documentMargin() : 4;
    const qreal scale = talentzoom::scaleFor(width(), m_characters, m_characterWidth, margin);
    const int rows = int(height() / qMax(1.0, m_lineSpacing * scale)) + 1;
    return m_characters * rows;
}

void TalentWindow::requestSlice()
{
    if (m_sliceWanted || (m_coming.page && m_coming.generation == m_generation))
        return;
    m_coming.page.reset();
    // Cut at the next step, not here: a size, a screen and a page may all change at once.
    m_sliceWanted = true;
    m_layoutTimer->start(0);
}

void TalentWindow::cutSlice()
{
    m_sliceWanted = false;
    if (!m_source || m_band->isLoading() || m_band->document() != m_source)
        return;
    const QTextDocument &source = *m_source;
    const PageSlice slice =
        sliceAround(source, qMax(0, bandSpot().position), kScreensEachSide * screenCharacters());
    m_coming.page = copySlice(source, slice);
    ++m_slicesCut;
    m_coming.slice = slice;
    m_coming.generation = m_generation;
    m_coming.block = 0;
    QTextDocument &page = *m_coming.page;
    // Laid out at one size and drawn at another: advances must not be rounded to pixels.
    QTextOption option = page.defaultTextOption();
    option.setUseDesignMetrics(true);
    page.setDefaultTextOption(option);
    m_coming.scale =
        talentzoom::scaleFor(width(), m_characters, m_characterWidth, page.documentMargin());
    page.setTextWidth(qMax(1.0, width() / m_coming.scale));
}

void TalentWindow::layoutStep()
{
    if (m_sliceWanted) {
        // The copy is one step, its layout the next ones.
        cutSlice();
        if (m_coming.page)
            m_layoutTimer->start(0);
        return;
    }
    if (!m_coming.page)
        return;
    QTextDocument &page = *m_coming.page;
    QAbstractTextDocumentLayout *layout = page.documentLayout();
    QElapsedTimer budget;
    budget.start();
    QTextBlock block = page.findBlockByNumber(m_coming.block);
    for (; block.isValid() && budget.nsecsElapsed() < kLayoutStepNs; block = block.next())
        layout->blockBoundingRect(block);
    if (block.isValid()) {
        m_coming.block = block.blockNumber();
        m_layoutTimer->start(0);
        return;
    }
    const bool glyphs = glyphsOnly(page);
    // The rows the shown stretch puts the band's block at, less those the new one
    // does: the picture stays when both hold that block at the same size.
    std::optional<qreal> moved;
    if (m_page && m_glyphsOnly && glyphs && m_scale == m_coming.scale && !m_waiting)
        moved = rowsBetween(*m_page, m_slice, page, m_coming.slice);
    const qreal oldTop = m_pageOffset;
    const qreal oldBottom = moved ? oldTop + m_page->size().height() * m_scale : oldTop;
    m_page = std::move(m_coming.page);
    m_slice = m_coming.slice;
    m_scale = m_coming.scale;
    m_glyphsOnly = glyphs;
    placeBlocks();
    m_tiles.clear();
    m_waiting = false;
    if (moved) {
        // The same text on the same rows: only the rows that come in are drawn.
        m_pageOffset += *moved;
        follow();
        // Rows only one of the two stretches holds are drawn again, with a line's
        // room for glyphs reaching past their blocks; and a frame comes from the
        // new stretch however still the band stands.
        const qreal room = 2 * m_lineSpacing * m_scale;
        const qreal from = qMax(oldTop, m_pageOffset) + room;
        const qreal to = qMin(oldBottom, m_pageOffset + m_page->size().height() * m_scale) - room;
        QRegion again = rect();
        if (to > from)
            again -= windowRows(qCeil(from), int(qMin<qreal>(to - qCeil(from), 1 << 30)));
        update(again | markerRect());
        return;
    }
    // The new stretch has rows of its own: the whole window is drawn again.
    m_pageOffset = 0;
    refresh();
}

std::optional<qreal> TalentWindow::rowsBetween(const QTextDocument &shown, const PageSlice &from,
                                               const QTextDocument &next, const PageSlice &to) const
{
    const int position = bandSpot().position;
    if (position < qMax(from.from, to.from) || position >= qMin(from.to, to.to))
        return std::nullopt;
    const QTextBlock before = shown.findBlock(position - from.from);
    const QTextBlock after = next.findBlock(position - to.from);
    if (!before.isValid() || !after.isValid() || before.text() != after.text())
        return std::nullopt;
    const qreal top = shown.documentLayout()->blockBoundingRect(before).top();
    return (top - next.documentLayout()->blockBoundingRect(after).top()) * m_scale;
}

void TalentWindow::placeBlocks()
{
    // Faces are numbered for the pictures' keys: numbers start again with no picture left.
    if (m_faces.size() > kMostFaces) {
        m_glyphs.clear();
        m_faces.clear();
    }
    m_blockGlyphs.assign(size_t(m_page->blockCount()), {});
    m_blockBottoms.clear();
    if (!m_glyphsOnly)
        return;
    // Such a page is blocks one below the other: their bottoms ascend.
    QAbstractTextDocumentLayout *layout = m_page->documentLayout();
    m_blockBottoms.reserve(size_t(m_page->blockCount()));
    for (QTextBlock block = m_page->begin(); block.isValid(); block = block.next())
        m_blockBottoms.push_back(layout->blockBoundingRect(block).bottom());
}

TextSpot TalentWindow::bandSpot() const
{
    // Between a load's new page and its completion the copy is of the old one.
    if (!m_band->hasDocument() || m_band->isLoading() || m_band->document() != m_source)
        return {};
    const qreal y = m_band->verticalScrollBar()->value() + m_band->viewport()->height() / 3;
    return textSpotAt(*m_band->document(), y);
}

qreal TalentWindow::followedHeight()
{
    if (!m_page)
        return 0;
    const TextSpot spot = bandSpot();
    if (spot.position < 0)
        return m_followed;
    // The band's place outside the stretch shown: nothing to show until the next is laid out.
    m_waiting = spot.position < m_slice.from || spot.position > m_slice.to;
    if (m_waiting)
        return m_followed;
    TextSpot local = spot;
    local.position -= m_slice.from;
    local.nextPosition = spot.nextPosition < 0 || spot.nextPosition > m_slice.to
                             ? -1
                             : spot.nextPosition - m_slice.from;
    m_followed = heightOfSpot(*m_page, local);
    return m_followed;
}

qint64 TalentWindow::topForBand()
{
    m_shownBand = m_page ? bandSpot() : TextSpot();
    m_shownHeight = followedHeight();
    if (m_shownBand.position >= 0) {
        const int last = m_source->characterCount() - 1;
        const int reach = kScreensEachSide * screenCharacters() / 2;
        if (m_waiting || (m_slice.from > 0 && m_shownBand.position < m_slice.from + reach) ||
            (m_slice.to < last && m_shownBand.position > m_slice.to - reach))
            requestSlice();
    }
    // The page in screen pixels, its top row at the window's top.
    return qRound64(m_shownHeight * m_scale + m_pageOffset) - readingLine();
}

void TalentWindow::scheduleFrame()
{
    if (m_frameTimer->isActive())
        return;
    const qreal rate = screen() && screen()->refreshRate() >= 1 ? screen()->refreshRate() : 60;
    const qint64 wait =
        qint64(1000 / rate) - (m_sinceFrame.isValid() ? m_sinceFrame.elapsed() : 1000);
    if (wait <= 0)
        follow();
    else
        m_frameTimer->start(int(wait));
}

bool TalentWindow::event(QEvent *event)
{
    // Painting over a frame the X server has not yet taken makes the backing
    // store wait for the server on this thread, the band's: a full-screen
    // frame takes it 10-20 ms. The paint waits instead; what is marked for it
    // stays marked.
    if (event->type() == QEvent::UpdateRequest && m_serverFence && !m_serverFence->passed()) {
        m_paintRetry->start();
        return true;
    }
    return QWidget::event(event);
}

void TalentWindow::refresh()
{
    m_top = topForBand();
    m_missing = QRegion();
    update();
}

void TalentWindow::follow()
{
    const qint64 top = topForBand();
    const qint64 rows = m_top - top; // how far the text moves down the page
    m_top = top;
    if (rows == 0) {
        if (!m_missing.isEmpty())
            update(m_missing);
        return;
    }
    if (qAbs(rows) >= height()) {
        m_missing = QRegion();
        update();
        return;
    }
    const int dy = int(m_mirror.topToBottom ? -rows : rows);
    // The backing store moves what it shows; only the rows uncovered are painted.
    scroll(0, dy);
    m_missing.translate(0, dy);
    m_missing &= rect();
    // The reading-line marker stays where it is.
    const QRect marker = markerRect();
    update(marker);
    update(marker.translated(0, dy));
    if (!m_missing.isEmpty())
        update(m_missing);
}

QRect TalentWindow::windowRows(qint64 row, int rows) const
{
    const qint64 y = row - m_top;
    const qint64 flipped = m_mirror.topToBottom ? height() - y - rows : y;
    return QRect(0, int(qBound(qint64(-(1 << 30)), flipped, qint64(1 << 30))), width(), rows);
}

QPainterPath TalentWindow::markerPath() const
{
    const qreal half = qMax(6, height() / 60);
    QPainterPath marker;
    marker.moveTo(0, readingLine() - half);
    marker.lineTo(half * 1.2, readingLine());
    marker.lineTo(0, readingLine() + half);
    marker.closeSubpath();
    return marker;
}

QRect TalentWindow::markerRect() const
{
    return mirrorTransform(size(), m_mirror.leftToRight, m_mirror.topToBottom)
        .mapRect(markerPath().boundingRect())
        .toAlignedRect()
        .adjusted(-1, -1, 1, 1);
}

void TalentWindow::setOverlayText(const QString &text)
{
    if (text == m_overlay)
        return;
    m_overlay = text;
    update();
}

void TalentWindow::paintEvent(QPaintEvent *event)
{
    m_sinceFrame.start();
    QPainter painter(this);
    Frame frame;
    if (!m_page || m_waiting) {
        painter.fillRect(event->rect(), Qt::black);
    } else if (m_glyphsOnly) {
        drawGlyphBands(painter, event->region());
    } else {
        drawStrips(painter, event->region());
    }
    const bool shown = m_page && !m_waiting;
    if (shown) {
        frame.band = m_shownBand;
        frame.complete = m_missing.isEmpty();
        frame.wholeWindow = (QRegion(rect()) - event->region()).isEmpty();
        frame.newGlyphs = m_newGlyphs;
        frame.newGlyphBytes = m_newGlyphBytes;
        if (!m_missing.isEmpty())
            QTimer::singleShot(0, this, &TalentWindow::scheduleFrame);
        if (m_frameHook) {
            frame.talent = textSpotAt(*m_page, m_shownHeight);
            frame.talent.position += m_slice.from;
            if (frame.talent.nextPosition >= 0)
                frame.talent.nextPosition += m_slice.from;
            frame.readingRow = qRound64(m_shownHeight * m_scale + m_pageOffset) - m_top;
        }
    }
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setTransform(mirrorTransform(size(), m_mirror.leftToRight, m_mirror.topToBottom));
    painter.fillPath(markerPath(), QColor(0xC0, 0xC0, 0xC0));
    if (!m_overlay.isEmpty()) {
        QFont big = font();
        big.setBold(true);
        big.setPixelSize(
            std::max(8, std::min(height() * 4 / 5, width() / int(m_overlay.size() + 1))));
        painter.setFont(big);
        const QRect ground = painter.fontMetrics()
                                 .boundingRect(rect(), Qt::AlignCenter, m_overlay)
                                 .adjusted(-big.pixelSize() / 4, 0, big.pixelSize() / 4, 0);
        painter.fillRect(ground.intersected(rect()), Qt::black);
        painter.setPen(Qt::white);
        painter.drawText(rect(), Qt::AlignCenter, m_overlay);
    }
    m_complete = shown && m_missing.isEmpty();
    // Marked once the backing store has handed the frame over, after this returns.
    QTimer::singleShot(0, this, [this] { m_serverFence = std::make_unique<ServerFence>(); });
    // Only frames that show the page: before its first stretch is laid out the window is black.
    if (m_frameHook && shown)
        m_frameHook(frame);
}

void TalentWindow::drawStrips(QPainter &painter, const QRegion &region)
{
    const qint64 first = floorDivide(m_top, kTileHeight);
    const qint64 last = floorDivide(m_top + height() - 1, kTileHeight);
    // Nearest the reading line first; strips further out may wait a frame or two.
    const qint64 reading = floorDivide(m_top + readingLine(), kTileHeight);
    std::vector<qint64> order;
    for (qint64 index = first; index <= last; ++index)
        order.push_back(index);
    std::stable_sort(order.begin(), order.end(), [reading](qint64 a, qint64 b) {
        return qAbs(a - reading) < qAbs(b - reading);
    });
    QElapsedTimer budget;
    budget.start();
    for (const qint64 index : order) {
        const QRect place = windowRows(index * kTileHeight, kTileHeight);
        if (!region.intersects(place))
            continue;
        const QImage *image = keptTile(index);
        if (!image && (qAbs(index - reading) <= 1 || budget.nsecsElapsed() < kFrameBudgetNs))
            image = &drawTile(index);
        if (image) {
            painter.drawImage(place.topLeft(), *image);
            m_missing -= place;
        } else {
            painter.fillRect(place, Qt::black);
            m_missing += place & rect();
        }
    }
    std::erase_if(m_tiles, [&](const Tile &t) {
        return t.index < first - kSpareTiles || t.index > last + kSpareTiles;
    });
}

const QImage *TalentWindow::keptTile(qint64 index) const
{
    const auto kept = std::find_if(m_tiles.begin(), m_tiles.end(),
                                   [index](const Tile &t) { return t.index == index; });
    return kept != m_tiles.end() ? &kept->image : nullptr;
}

const QImage &TalentWindow::drawTile(qint64 index)
{
    // Each strip of the page is drawn once and then only moved, in the
    // window's own format.
    QImage image(qMax(1, width()), kTileHeight, QImage::Format_RGB32);
    image.fill(Qt::black);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF area(0, qreal(index * kTileHeight) / m_scale, width() / m_scale,
                          kTileHeight / m_scale);
        painter.translate(0, -qreal(index * kTileHeight));
        painter.scale(m_scale, m_scale);
        painter.setClipRect(area);
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = area;
        context.palette = palette();
        context.palette.setColor(QPalette::Text, Qt::white);
        m_page->documentLayout()->draw(&painter, context);
    }
    image.mirror(m_mirror.leftToRight, m_mirror.topToBottom);
    m_tiles.push_back({index, std::move(image)});
    return m_tiles.back().image;
}

void TalentWindow::drawGlyphBands(QPainter &painter, const QRegion &region)
{
    m_newGlyphs = 0;
    m_newGlyphBytes = 0;
    m_glyphShareSpent = false;
    // Bands nearest the reading line first: pictures beyond a frame's share are
    // made in the next frames, and their bands stay black until then.
    const int reading = windowRows(m_top + readingLine(), 1).top();
    std::vector<QRect> bands;
    for (const QRect &rect : region) {
        for (int y = rect.top(); y <= rect.bottom();) {
            const int end =
                qMin(int(floorDivide(y, kTileHeight) + 1) * kTileHeight, rect.bottom() + 1);
            bands.emplace_back(rect.left(), y, rect.width(), end - y);
            y = end;
        }
    }
    const auto distance = [reading](const QRect &band) {
        return band.top() > reading ? band.top() - reading : qMax(0, reading - band.bottom());
    };
    std::stable_sort(bands.begin(), bands.end(),
                     [&](const QRect &a, const QRect &b) { return distance(a) < distance(b); });
    for (const QRect &band : bands) {
        if (drawGlyphs(painter, band))
            m_missing -= band;
        else
            m_missing += band;
    }
}

const TalentWindow::BlockGlyphs &TalentWindow::blockGlyphs(const QTextBlock &block)
{
    BlockGlyphs &placed = m_blockGlyphs[size_t(block.blockNumber())];
    if (placed.built)
        return placed;
    placed.built = true;
    if (!block.layout())
        return placed;
    const QPointF origin = block.layout()->position();
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        const QBrush brush = fragment.charFormat().foreground();
        const QColor colour = brush.style() == Qt::NoBrush ? QColor(Qt::white) : brush.color();
        const QList<QGlyphRun> runs = fragment.glyphRuns();
        for (const QGlyphRun &run : runs) {
            GlyphRun placedRun;
            placedRun.font = run.rawFont();
            placedRun.colour = colour;
            placedRun.size = placedRun.font.pixelSize() * m_scale;
            const QString face = placedRun.font.familyName() + QLatin1Char('/') +
                                 placedRun.font.styleName() + QLatin1Char('/') +
                                 QString::number(placedRun.size, 'f', 2) + QLatin1Char('/') +
                                 QString::number(colour.rgba(), 16);
            auto known = m_faces.constFind(face);
            if (known == m_faces.cend())
                known = m_faces.insert(face, quint32(m_faces.size()));
            placedRun.face = *known;
            const QList<quint32> indexes = run.glyphIndexes();
            const QList<QPointF> positions = run.positions();
            placedRun.glyphs.reserve(size_t(indexes.size()));
            for (qsizetype i = 0; i < indexes.size(); ++i)
                placedRun.glyphs.push_back({indexes[i], (origin + positions[i]) * m_scale});
            placed.runs.push_back(std::move(placedRun));
        }
    }
    return placed;
}

bool TalentWindow::drawGlyphs(QPainter &painter, const QRect &rect)
{
    bool complete = true;
    // Each glyph once over black, even where it reaches into the next rectangle.
    painter.setClipRect(rect);
    painter.fillRect(rect, Qt::black);
    // The page rows `rect` shows, in page coordinates.
    const int rowsTop = m_mirror.topToBottom ? height() - rect.bottom() - 1 : rect.top();
    const QRectF area(0, (qreal(m_top + rowsTop) - m_pageOffset) / m_scale, width() / m_scale,
                      rect.height() / m_scale);
    // A glyph reaches up and down beyond its line a little: start a block early.
    const auto below =
        std::lower_bound(m_blockBottoms.cbegin(), m_blockBottoms.cend(), area.top() - 1);
    const int first = qMax(0, int(below - m_blockBottoms.cbegin()) - 1);
    for (QTextBlock block = m_page->findBlockByNumber(first); block.isValid();
         block = block.next()) {
        const QRectF box = m_page->documentLayout()->blockBoundingRect(block);
        if (box.top() > area.bottom() + 1)
            break;
        if (box.bottom() < area.top() - 1)
            continue;
        for (const GlyphRun &run : blockGlyphs(block).runs) {
            // A font at the screen's size is made only when a picture is missing.
            QRawFont font;
            for (const PlacedGlyph &glyph : run.glyphs) {
                // Whole rows and columns, so that a moved picture matches a new one.
                const QPoint pen(qRound(glyph.at.x()),
                                 int(qRound64(glyph.at.y() + m_pageOffset) - m_top));
                if (pen.y() < rowsTop - 2 * run.size ||
                    pen.y() > rowsTop + rect.height() + 2 * run.size)
                    continue;
                const quint64 key = quint64(run.face) << 32 | glyph.index;
                const Glyph *found = m_glyphs.object(key);
                std::unique_ptr<Glyph> uncached;
                if (!found && m_glyphShareSpent) {
                    complete = false;
                    continue;
                }
                if (!found) {
                    if (!font.isValid()) {
                        font = run.font;
                        font.setPixelSize(run.size);
                    }
                    const QPainterPath path = font.pathForGlyph(glyph.index);
                    const QRect bounds = path.boundingRect().toAlignedRect().adjusted(-1, -1, 1, 1);
                    // Making pictures is what a first frame or a new size costs:
                    // a frame makes only its share, the first one whatever its size.
                    const qint64 bytes =
                        qint64(qMax(1, bounds.width())) * qMax(1, bounds.height()) * 4;
                    if (m_newGlyphs > 0 && m_newGlyphBytes + bytes > kNewGlyphBytesPerFrame) {
                        m_glyphShareSpent = true;
                        complete = false;
                        continue;
                    }
                    ++m_newGlyphs;
                    m_newGlyphBytes += bytes;
                    auto made =
                        std::make_unique<Glyph>(Glyph{QImage(bounds.size().expandedTo(QSize(1, 1)),
                                                             QImage::Format_ARGB32_Premultiplied),
                                                      bounds.topLeft()});
                    made->image.fill(Qt::transparent);
                    QPainter draw(&made->image);
                    draw.setRenderHint(QPainter::Antialiasing);
                    draw.translate(-bounds.topLeft());
                    draw.fillPath(path, run.colour);
                    draw.end();
                    made->image.mirror(m_mirror.leftToRight, m_mirror.topToBottom);
                    found = made.get();
                    const qsizetype cost = made->image.sizeInBytes() / 1024 + 1;
                    // One picture larger than the whole budget is drawn and dropped.
                    if (cost <= m_glyphs.maxCost())
                        m_glyphs.insert(key, made.release(), cost);
                    else
                        uncached = std::move(made);
                }
                QRect place(pen + found->offset, found->image.size());
                if (m_mirror.leftToRight)
                    place.moveLeft(width() - place.right() - 1);
                if (m_mirror.topToBottom)
                    place.moveTop(height() - place.bottom() - 1);
                if (place.intersects(rect))
                    painter.drawImage(place.topLeft(), found->image);
            }
        }
    }
    painter.setClipping(false);
    return complete;
}

void TalentWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_glyphs.setMaxCost(glyphBudgetFor(size()) / 1024);
    relayout();
}

bool TalentWindow::eventFilter(QObject *watched, QEvent *event)
{
    // The band's reading line moves with its page's height.
    if (watched == m_bandViewport && event->type() == QEvent::Resize)
        scheduleFrame();
    return QWidget::eventFilter(watched, event);
}
