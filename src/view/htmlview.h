#pragma once

#include <QStringList>
#include <QTextBrowser>

#include <functional>
#include <utility>
#include <vector>

class QNetworkAccessManager;
class QPainter;

// The prompter's HTML view. It shows a page and reports keys and presses,
// but never lets the page select text, open a menu or follow a link.
class HtmlView final : public QTextBrowser
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HtmlView)

public:
    explicit HtmlView(QWidget *parent = nullptr);
    ~HtmlView() override;

    // Replaces the document with the lines, each ended by CR LF. Completes
    // asynchronously with documentComplete. `markedLines` (indexes into
    // `lines`, in order) begin the script's sections: once the page has
    // completed, markPlace() finds each, and the margin shows a mark beside it.
    void loadPage(const QStringList &lines, const QList<qsizetype> &markedLines = {});
    // A directory shows a listing, an http(s) address is fetched; blank does
    // nothing. The shown page stays and scrolls while a fetch runs (scrolling
    // does not wait for it, waitUntilReady does); a page loaded meanwhile
    // wins over the fetch's answer.
    void navigate(const QString &address);
    bool isFetching() const { return m_fetchGeneration != 0 && m_fetchGeneration == m_generation; }
    // Changes with every page begun: loaded, fetched or listed.
    quint64 pageGeneration() const { return m_generation; }
    // Processes events until the pending load has completed. Returns at once
    // when the program was asked to quit (before or during the wait) and when
    // the view has no window: its top-level window was never shown, is closed
    // or hidden, or the view is being destroyed.
    void waitUntilReady();
    bool isLoading() const { return m_loading; }
    bool hasDocument() const { return m_hasDocument; }

    // Vertical offset in pixels; -1 while no document is shown.
    int scrollPosition() const;
    void scrollTo(int x, int y);
    void scrollToTop();
    void scrollToBottom();

    // Where a marked line's first row lies on the page, in scroll pixels.
    struct LinePlace
    {
        int top = -1; // -1 while a page loads, or for a line the engine dropped (in a comment)
        int height = 0;
    };
    LinePlace markPlace(qsizetype index) const;
    qsizetype markCount() const { return m_markCount; }
    // The last mark whose row begins at or above page pixel `y`; -1 for none.
    qsizetype markAt(int y) const;
    // The text shown from the row at page pixel `fromY` up to the row at
    // `toY` (not included; -1 for the end of the page), for counting words.
    QString shownText(int fromY, int toY = -1) const;
    // The viewport's reading line: a third of the way down, as the talent screen reads it.
    int readingLine() const;
    // A small mark in the left margin beside each marked line.
    void setMarginMarksShown(bool shown);
    // The talent screen's triangle at the reading line.
    void setReadingLineShown(bool shown);
    // Large text in the middle of the view, over the page (a countdown's
    // digits); empty for none.
    void setOverlayText(const QString &text);
    QString overlayText() const { return m_overlay; }

    // Opens the print preview of the shown document, if any.
    void print();
    void setPrintHook(std::function<void(QTextDocument *)> hook) { m_printHook = std::move(hook); }
    void focus();

    // Draws the page flipped for a beam-splitter glass; input keeps its meaning.
    void setMirrored(bool leftToRight, bool topToBottom);
    bool mirroredLeftToRight() const { return m_mirrorX; }
    bool mirroredTopToBottom() const { return m_mirrorY; }

    // The text last handed to the engine (comment markers around the style removed).
    QString engineText() const { return m_engineText; }

    // The engine ignores a style block wrapped in <!-- -->, so the markers go.
    static QString unwrapStyleComments(const QString &html);
    // A "<" that starts no tag is text to a browser ("a < b"); the engine would
    // read a tag into it, so it is handed over as &lt;.
    static QString escapeStrayLessThan(const QString &html);

Q_SIGNALS:
    void documentComplete(const QString &address);
    void keyDown(int key, Qt::KeyboardModifiers modifiers);
    void click(Qt::MouseButton button);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool focusNextPrevChild(bool next) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    QVariant loadResource(int type, const QUrl &name) override;

private:
    struct Wait;

    // Waits as waitUntilReady does, but for a fetch only when `includingFetch`:
    // scrolling goes on over the shown page while a fetch runs. False when
    // the view was destroyed meanwhile.
    bool awaitLoad(bool includingFetch);
    bool hasWindow() const;
    void wakeWaits();
    void beginLoad(const QString &html, const QString &address, qsizetype markCount = 0);
    void findMarks();
    void paintShowMarks(QPainter &painter, const QRect &area);
    // Whether anything is drawn over the page: marks, the triangle, the overlay.
    bool drawsOverPage() const;
    void finishLoad(quint64 generation);
    void fetch(const QUrl &url);
    bool handleScrollKey(QKeyEvent *event);

    QString m_pendingHtml;
    QString m_pendingAddress;
    QString m_engineText;
    quint64 m_generation = 0;
    quint64 m_fetchGeneration = 0; // of the running fetch, 0 when none
    bool m_loading = false;
    bool m_hasDocument = false;
    bool m_destroying = false;
    bool m_mirrorX = false;
    bool m_mirrorY = false;
    bool m_marginMarks = false;
    bool m_readingLine = false;
    QString m_overlay;
    qsizetype m_pendingMarkCount = 0;
    qsizetype m_markCount = 0;
    // The marks the engine kept, in page order: mark index and text position.
    std::vector<std::pair<qsizetype, int>> m_marks;
    std::vector<Wait *> m_waits; // nested waits, innermost last
    std::function<void(QTextDocument *)> m_printHook;
    QNetworkAccessManager *m_network = nullptr;
    QTextDocument *m_document = nullptr; // owned through the view, replaced on every load
};
