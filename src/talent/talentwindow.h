#pragma once

#include "pageslice.h"
#include "talentstore.h"
#include "textspot.h"
#include "x11connection.h"

#include <QCache>
#include <QElapsedTimer>
#include <QHash>
#include <QImage>
#include <QPointer>
#include <QRawFont>
#include <QRegion>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class HtmlView;
class QPainterPath;
class QTextBlock;
class QTextDocument;
class QTimer;

// The talent screen: the band's page laid out again at this window's width
// and its own text size, in white on black, following the band by text. The
// character at the band's reading line (a third of the way down its page) is
// drawn at this window's reading line, which a small triangle at the left edge
// marks. Drawn through a flip for a prompter glass. Only a stretch of the
// page around the band's place is copied and laid out, a few milliseconds at
// a time between frames, and cut again as the band moves: what the window
// costs does not grow with the script, and the band never waits for it.
class TalentWindow final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TalentWindow)

public:
    // What one painted frame showed: the band's place and the line at this
    // window's reading line; they share characters when the talent follows.
    struct Frame
    {
        TextSpot band;
        TextSpot talent;
        // false while strips away from the reading line wait, or while the
        // stretch of the page at the band's place is being laid out
        bool complete = true;
        // The window row (before the flips) where `talent` is drawn.
        qint64 readingRow = -1;
        // Whether the frame drew every row of the window.
        bool wholeWindow = false;
        // Glyph pictures made for this frame, and their bytes.
        int newGlyphs = 0;
        qint64 newGlyphBytes = 0;
        bool sameLine() const;
    };

    // A top-level window of its own: window managers that hide a window's
    // transients with it would hide the talent's screen with the band.
    explicit TalentWindow(HtmlView *band);
    ~TalentWindow() override;

    // Shows the window once its picture's memory is written, a few pages at a
    // time: a full screen's first paint would otherwise stop the window's
    // thread for tens of milliseconds while the system maps those pages.
    void showPrepared();
    // How many rows of the picture are written so far.
    int preparedRows() const { return m_preparedRows; }
    void setMirror(const MirrorFlags &flags);
    // Large text in the middle of the window, over the page (the band's
    // countdown); empty for none.
    void setOverlayText(const QString &text);
    QString overlayText() const { return m_overlay; }
    MirrorFlags mirror() const { return m_mirror; }
    void setCharactersPerLine(int characters);
    int charactersPerLine() const { return m_characters; }
    // Copies the band's page; runs whenever the band's page completes.
    void copyPage();
    // The bytes of new glyph pictures one frame makes, unless its first picture alone is larger.
    static constexpr qint64 kNewGlyphBytesPerFrame = 256 * 1024;
    // The budget of the glyph pictures for a window of `size`, in bytes, and what they hold now.
    static qint64 glyphBudgetFor(QSize size);
    qint64 glyphBytes() const;

    // Screen pixels per page pixel.
    qreal scale() const { return m_scale; }
    int readingLine() const { return height() / 3; }
    // The page height drawn at the reading line for the band's place now.
    qreal followedHeight();
    // The stretch of the band's page laid out here, and where it starts on the band's page.
    const QTextDocument *pageCopy() const { return m_page.get(); }
    int pageCopyStart() const { return m_slice.from; }
    // Whether the shown stretch holds the band's place and no newer layout is running.
    bool caughtUp() const { return !m_sliceWanted && !m_coming.page && !m_waiting && m_page; }
    // How many stretches of the band's page have been copied since the window was made.
    int slicesCut() const { return m_slicesCut; }
    // Whether the last frame showed every strip of the page it covers.
    bool lastFrameComplete() const { return m_complete; }
    // Called after every painted frame (benchmarks and tests record them).
    void setFrameHook(std::function<void(const Frame &)> hook) { m_frameHook = std::move(hook); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    bool event(QEvent *event) override;

private:
    // Each block's glyphs at screen size, found once for the shown stretch:
    // shaping the text again every frame would cost more than drawing it.
    struct PlacedGlyph
    {
        quint32 index;
        QPointF at; // on the page, in screen pixels
    };
    struct GlyphRun
    {
        QRawFont font; // at the page's size
        QColor colour;
        qreal size = 0; // pixels on the screen
        quint32 face = 0;
        std::vector<PlacedGlyph> glyphs;
    };
    struct BlockGlyphs
    {
        bool built = false;
        std::vector<GlyphRun> runs;
    };

    void relayout();
    // How many screen rows further down `next`'s stretch `to` shows the band's
    // block than `shown`'s stretch `from` does; none unless both hold it.
    std::optional<qreal> rowsBetween(const QTextDocument &shown, const PageSlice &from,
                                     const QTextDocument &next, const PageSlice &to) const;
    // Writes the next rows of the window's picture; shows the window after the last.
    void prepareStep();
    // Asks for the stretch of the band's page around its place to be cut and
    // laid out at the next steps; a stretch already being laid out for the
    // same page and width is finished first.
    void requestSlice();
    // Copies the stretch around the band's place now as the coming page.
    void cutSlice();
    // Lays out the next blocks of the coming stretch for a few milliseconds;
    // shows it once all of it is laid out.
    void layoutStep();
    // Characters of the band's page a screen of this window shows, about.
    int screenCharacters() const;
    TextSpot bandSpot() const;
    // Follows the band at most once a refresh of the window's screen.
    void scheduleFrame();
    // Moves the picture by whole rows to the band's place now and draws only
    // the rows that come in: a frame copies a few rows, not the whole screen.
    void follow();
    // Draws the whole window again at the band's place now.
    void refresh();
    // The page row for the window's top at the band's place now; notes that place
    // in m_shownBand and m_shownHeight.
    qint64 topForBand();
    // Where the window shows the page's screen rows [row, row + height), flips included.
    QRect windowRows(qint64 row, int height) const;
    // The reading-line triangle at the left edge, before the flips; and where
    // the window shows it.
    QPainterPath markerPath() const;
    QRect markerRect() const;
    // The strip `index` of the page at screen size, flipped as the window is:
    // the one kept, or null; drawn now.
    const QImage *keptTile(qint64 index) const;
    const QImage &drawTile(qint64 index);
    void drawStrips(QPainter &painter, const QRegion &region);
    // Draws the page's glyphs in `rect` (window coordinates) from pictures of
    // each glyph made once, flipped as the window is: text this large would
    // otherwise be filled as outlines glyph by glyph.
    // Returns false when pictures were left for a later frame.
    bool drawGlyphs(QPainter &painter, const QRect &rect);
    // The glyphs of a block of the shown stretch, found when first asked for.
    const BlockGlyphs &blockGlyphs(const QTextBlock &block);
    // Forgets the glyphs found for the blocks of the stretch shown before.
    void placeBlocks();
    // Draws the region's bands nearest the reading line first; bands whose
    // pictures wait for a later frame are noted in m_missing.
    void drawGlyphBands(QPainter &painter, const QRegion &region);

    HtmlView *m_band;
    // Compared only: the band may be going away when its viewport reports events.
    const QObject *m_bandViewport = nullptr;
    // The laid-out stretch m_slice of the band's page, shown.
    std::unique_ptr<QTextDocument> m_page;
    PageSlice m_slice;
    // The stretch being laid out, up to m_nextBlock, and the scale it is for.
    struct Coming
    {
        std::unique_ptr<QTextDocument> page;
        PageSlice slice;
        qreal scale = 1;
        int block = 0;
        quint64 generation = 0;
    };
    Coming m_coming;
    bool m_sliceWanted = false;
    int m_slicesCut = 0;
    QTimer *m_layoutTimer;
    QPointer<QTextDocument> m_source; // the band's page that m_page copies
    // Of the band's page's first font, measured when it completes.
    qreal m_characterWidth = 1;
    qreal m_lineSpacing = 1;
    quint64 m_generation = 0; // of the page and the layout width wanted
    // The band's place lies outside the shown stretch: the window is black until it comes.
    bool m_waiting = false;
    MirrorFlags m_mirror;
    QString m_overlay;
    int m_characters;
    qreal m_scale = 1;
    qreal m_followed = 0; // kept while the band has no page to follow
    // What the window shows: the page's screen row at its top, the band's
    // place followed and the page height at the reading line.
    qint64 m_top = 0;
    // Screen rows added to the page's: stretches cut again at a new start keep
    // the rows of the one shown before them, so their picture stays.
    qreal m_pageOffset = 0;
    TextSpot m_shownBand;
    qreal m_shownHeight = 0;
    // Parts of the window still black because their strips wait for a later frame.
    QRegion m_missing;
    std::function<void(const Frame &)> m_frameHook;
    QTimer *m_frameTimer;
    QTimer *m_paintRetry;
    std::unique_ptr<ServerFence> m_serverFence;
    QElapsedTimer m_sinceFrame;
    struct Tile
    {
        qint64 index; // strip of kTileHeight screen pixels from the page's top
        QImage image;
    };
    std::vector<Tile> m_tiles;
    // Whether the page is only text the glyph pictures can show (no tables,
    // lists, pictures, lines or backgrounds): drawn straight to the window.
    // Other pages are drawn in strips, kept while near the shown part.
    bool m_glyphsOnly = false;
    struct Glyph
    {
        QImage image;
        QPoint offset; // of the picture's top left from the glyph's origin
    };
    // Least recently drawn pictures go first; costs in KB. Keyed by the face's
    // number (font, size and colour) and the glyph's index in that font.
    QCache<quint64, Glyph> m_glyphs;
    QHash<QString, quint32> m_faces;
    std::vector<BlockGlyphs> m_blockGlyphs;
    std::vector<qreal> m_blockBottoms; // of the shown stretch's blocks, in page pixels
    // Pictures made during the paint under way.
    int m_newGlyphs = 0;
    qint64 m_newGlyphBytes = 0;
    bool m_glyphShareSpent = false;
    bool m_complete = true;
    QTimer *m_prepareTimer;
    int m_preparedRows = 0;
};
