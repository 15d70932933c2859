#include "pageslice.h"
#include "talentzoom.h"
#include "textspot.h"

#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextTable>

#include <memory>

namespace {

QString script(int lines, const QString &words)
{
    QString html = QStringLiteral("<html><body style=\"font-family: Arial; font-size: 24px\">");
    for (int i = 0; i < lines; ++i)
        html += words.arg(i) + QStringLiteral("<br>");
    return html + QStringLiteral("</body></html>");
}

// A paragraph a line, as the band shows a script.
QString paragraphs(int lines, const QString &words)
{
    QString html = QStringLiteral("<html><body style=\"font-family: Arial; font-size: 24px\">");
    for (int i = 0; i < lines; ++i)
        html += QStringLiteral("<p>") + words.arg(i) + QStringLiteral("</p>");
    return html + QStringLiteral("</body></html>");
}

std::unique_ptr<QTextDocument> laidOut(const QString &html, qreal width)
{
    auto document = std::make_unique<QTextDocument>();
    document->setHtml(html);
    document->setTextWidth(width);
    return document;
}

} // namespace

// Finding the same text on two layouts of one page.
class TextSpotTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void otherLayout_putsTheSameLineAtTheSameHeight_data()
    {
        QTest::addColumn<QString>("html");
        QTest::addColumn<qreal>("bandWidth");
        QTest::addColumn<qreal>("talentWidth");
        const QString news = QStringLiteral("Line %1 of the evening news, read slowly and clearly "
                                            "to the camera in the studio");
        QTest::newRow("narrower talent") << script(40, news) << 1800.0 << 500.0;
        QTest::newRow("wider talent") << script(40, news) << 300.0 << 1200.0;
        QTest::newRow("paragraphs with margins")
            << QStringLiteral("<p style=\"margin: 30px\">First %1</p><h1>Title</h1><p>Second "
                              "paragraph that runs on for a while and wraps</p><p></p><p>End</p>")
                   .arg(QString(200, u'x'))
            << 900.0 << 250.0;
        QTest::newRow("one short line") << QStringLiteral("Only") << 800.0 << 200.0;
        QTest::newRow("unbroken word")
            << script(3, QStringLiteral("%1") + QString(300, u'w')) << 700.0 << 150.0;
    }

    void otherLayout_putsTheSameLineAtTheSameHeight()
    {
        QFETCH(QString, html);
        QFETCH(qreal, bandWidth);
        QFETCH(qreal, talentWidth);
        const auto band = laidOut(html, bandWidth);
        std::unique_ptr<QTextDocument> talent(band->clone());
        talent->setTextWidth(talentWidth);
        const qreal height = band->size().height();
        qreal previous = -1e9;
        for (qreal y = -30; y < height + 30; y += 2.5) {
            const TextSpot spot = textSpotAt(*band, y);
            QVERIFY(spot.position >= 0);
            const qreal talentY = heightOfSpot(*talent, spot);
            // As smooth as the band: never back, whatever the wrapping.
            QVERIFY2(talentY >= previous, qPrintable(QStringLiteral("at band y %1").arg(y)));
            previous = talentY;
            if (spot.beyond != 0)
                continue;
            const TextSpot there = textSpotAt(*talent, talentY);
            // The talent's line at that height shares characters with the band's line.
            QVERIFY(there.nextPosition < 0 || there.nextPosition > spot.position);
            QVERIFY(spot.nextPosition < 0 || there.position < spot.nextPosition);
            if (spot.fraction == 0) {
                QCOMPARE(talentY, lineHolding(*talent, spot.position).top);
            }
        }
        // Above the first line and below the last the distance carries over.
        const TextSpot above = textSpotAt(*band, -30);
        QCOMPARE(above.position, 0);
        QVERIFY(above.beyond < 0);
        QCOMPARE(heightOfSpot(*talent, above), lineHolding(*talent, 0).top + above.beyond);
        const TextSpot below = textSpotAt(*band, height + 30);
        QCOMPARE(below.nextPosition, -1);
        QVERIFY(below.beyond > 0);
    }

    void slice_laysOutAsThePageDoes_data()
    {
        QTest::addColumn<QString>("html");
        QTest::addColumn<qreal>("at");       // the place, as a share of the page's characters
        QTest::addColumn<int>("characters"); // either way
        QTest::addColumn<int>("tables");     // whole tables in the slice
        const QString news = QStringLiteral("Line %1 of the evening news, read slowly and clearly "
                                            "to the camera in the studio");
        QTest::newRow("lines, middle") << paragraphs(400, news) << 0.5 << 900 << 0;
        QTest::newRow("lines, start") << paragraphs(400, news) << 0.0 << 900 << 0;
        QTest::newRow("lines, end") << paragraphs(400, news) << 1.0 << 900 << 0;
        QTest::newRow("shorter than the slice") << paragraphs(5, news) << 0.5 << 5000 << 0;
        QString centred;
        for (int i = 0; i < 60; ++i)
            centred += QStringLiteral("<p align=center style=\"margin: 12px\">Centred %1 "
                                      "paragraph that runs on and wraps at the width</p><h2>"
                                      "Heading %1</h2>")
                           .arg(i);
        QTest::newRow("centred paragraphs, headings") << centred << 0.4 << 700 << 0;
        QString table = paragraphs(40, news);
        table.insert(table.indexOf(QStringLiteral("Line 20")),
                     QStringLiteral("<table border=1><tr><td>Cell one</td><td>Cell two</td></tr>"
                                    "<tr><td>Cell three</td><td>Cell four</td></tr></table>"));
        const qreal cell = qreal(table.indexOf(QStringLiteral("Cell"))) / table.size();
        QTest::newRow("cut inside a table") << table << cell << 60 << 1;
    }

    void slice_laysOutAsThePageDoes()
    {
        QFETCH(QString, html);
        QFETCH(qreal, at);
        QFETCH(int, characters);
        QFETCH(int, tables);
        const auto page = laidOut(html, 500);
        const int position = int(at * (page->characterCount() - 1));
        const PageSlice slice = sliceAround(*page, position, characters);
        QVERIFY(slice.from <= position && position <= slice.to);
        QVERIFY(slice.to - slice.from <= 2 * characters + 400);
        QCOMPARE(page->findBlock(slice.from).position(), slice.from);
        const auto copy = copySlice(*page, slice);
        copy->setTextWidth(500);
        QCOMPARE(copy->characterCount() - 1, slice.to - slice.from);
        QCOMPARE(copy->toPlainText(), page->toPlainText().mid(slice.from, slice.to - slice.from));
        QCOMPARE(copy->rootFrame()->childFrames().size(), qsizetype(tables));
        // Every block keeps its format, the first one too.
        QTextBlock mine = copy->begin();
        for (QTextBlock theirs = page->findBlock(slice.from);
             mine.isValid() && theirs.isValid() && theirs.position() < slice.to;
             mine = mine.next(), theirs = theirs.next()) {
            QCOMPARE(mine.blockFormat().alignment(), theirs.blockFormat().alignment());
            QCOMPARE(mine.blockFormat().topMargin(), theirs.blockFormat().topMargin());
            QCOMPARE(mine.charFormat().fontPointSize(), theirs.charFormat().fontPointSize());
        }
        // Lines lie as far apart as on the page, from the second block on.
        const int second = copy->begin().next().position();
        if (tables > 0 || second <= 0)
            return;
        for (QTextBlock block = copy->begin().next(); block.isValid(); block = block.next()) {
            const qreal mineDown =
                lineHolding(*copy, block.position()).top - lineHolding(*copy, second).top;
            const qreal theirsDown = lineHolding(*page, slice.from + block.position()).top -
                                     lineHolding(*page, slice.from + second).top;
            QCOMPARE(mineDown, theirsDown);
        }
    }

    void spot_fractionWithinTheLine()
    {
        QTextDocument band;
        band.setPlainText(QStringLiteral("Short line 0\nShort line 1\nShort line 2\nShort 3"));
        band.setTextWidth(800);
        const QTextBlock third = band.findBlockByNumber(2);
        const LineBox box = lineHolding(band, third.position());
        const LineBox next = lineHolding(band, third.next().position());
        QCOMPARE(box.position, third.position());
        QVERIFY(next.top > box.top);
        const qreal quarter = box.top + (next.top - box.top) / 4;
        const TextSpot spot = textSpotAt(band, quarter);
        QCOMPARE(spot.position, third.position());
        QCOMPARE(spot.nextPosition, third.next().position());
        QCOMPARE(spot.fraction, 0.25);
        QCOMPARE(spot.beyond, 0.0);
        QCOMPARE(heightOfSpot(band, spot), quarter);
        // The last line: its bottom ends the span, and what lies below is beyond it.
        const LineBox last = lineHolding(band, -1);
        QCOMPARE(last.position, band.lastBlock().position());
        const TextSpot end = textSpotAt(band, last.bottom + 10);
        QCOMPARE(end.position, last.position);
        QCOMPARE(end.fraction, 1.0);
        QCOMPARE(end.beyond, 10.0);
        QCOMPARE(heightOfSpot(band, end), last.bottom + 10);
    }

    void emptyPage_hasItsOneEmptyLine()
    {
        QTextDocument empty;
        const TextSpot spot = textSpotAt(empty, 50);
        QCOMPARE(spot.position, 0);
        QCOMPARE(spot.nextPosition, -1);
        QVERIFY(spot.beyond > 0);
        QCOMPARE(heightOfSpot(empty, spot), 50.0);
        // No place at all (no page shown) keeps only its distance.
        QCOMPARE(heightOfSpot(empty, TextSpot()), 0.0);
    }

    void zoom_stepsAndLimits_data()
    {
        QTest::addColumn<int>("characters");
        QTest::addColumn<int>("larger");
        QTest::addColumn<int>("smaller");
        QTest::newRow("default") << 35 << 29 << 42;
        QTest::newRow("small numbers still move") << 9 << 8 << 10;
        QTest::newRow("fewest") << 8 << 8 << 9;
        QTest::newRow("most") << 200 << 166 << 200;
        QTest::newRow("below the range") << -5 << 8 << 9;
        QTest::newRow("above the range") << 100000 << 166 << 200;
    }

    void zoom_stepsAndLimits()
    {
        QFETCH(int, characters);
        QFETCH(int, larger);
        QFETCH(int, smaller);
        QCOMPARE(talentzoom::larger(characters), larger);
        QCOMPARE(talentzoom::smaller(characters), smaller);
    }

    void zoom_scaleFillsTheWidth_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("characters");
        QTest::addColumn<qreal>("characterWidth");
        QTest::addColumn<qreal>("scale");
        QTest::newRow("full HD") << 1920 << 35 << 12.0 << 1920.0 / (35 * 12 + 8);
        QTest::newRow("8K") << 7680 << 35 << 12.0 << 7680.0 / (35 * 12 + 8);
        QTest::newRow("one pixel") << 1 << 35 << 12.0 << 1.0 / (35 * 12 + 8);
        QTest::newRow("no width, no font") << 0 << 35 << 0.0 << 1.0 / (35 + 8);
    }

    void zoom_scaleFillsTheWidth()
    {
        QFETCH(int, width);
        QFETCH(int, characters);
        QFETCH(qreal, characterWidth);
        QFETCH(qreal, scale);
        QCOMPARE(talentzoom::scaleFor(width, characters, characterWidth, 4), scale);
    }
};

QTEST_MAIN(TextSpotTest)
#include "tst_textspot.moc"
