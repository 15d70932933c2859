#include "markerjumps.h"
#include "markerlist.h"
#include "scriptreader.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QString fixture(const QString &name)
{
    return QStringLiteral(TAVRIX_TEST_DATA "/documents/") + name;
}

QList<qsizetype> lineNumbers(const MarkerList &markers)
{
    QList<qsizetype> lines;
    for (const Marker &marker : markers.markers())
        lines.append(marker.line);
    return lines;
}

QStringList labels(const MarkerList &markers)
{
    QStringList texts;
    for (const Marker &marker : markers.markers())
        texts.append(marker.label);
    return texts;
}

} // namespace

Q_DECLARE_METATYPE(MarkerJump)

class MarkersTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A script as its reader reads it, and the markers its kind gives.
    void markersOfScripts_data()
    {
        QTest::addColumn<QString>("file");       // a fixture, or the name `content` is written to
        QTest::addColumn<QByteArray>("content"); // empty for a fixture
        QTest::addColumn<QList<qsizetype>>("lines");
        QTest::addColumn<QStringList>("labels");

        const QList<qsizetype> news{0, 2};
        const QStringList newsLabels{u"Evening News"_s, u"Headlines"_s};
        for (const QString &file : {u"source.md"_s, u"pandoc.docx"_s, u"libreoffice.docx"_s,
                                    u"pandoc.odt"_s, u"libreoffice.odt"_s})
            QTest::newRow(qPrintable(file)) << fixture(file) << QByteArray() << news << newsLabels;
        QTest::newRow("title and headings, Word")
            << fixture(u"pydocx_structure.docx"_s) << QByteArray() << QList<qsizetype>{0, 1, 8}
            << QStringList{u"Running Order"_s, u"Opening"_s, u"Close"_s};
        QTest::newRow("no headings, OpenDocument")
            << fixture(u"libreoffice_tracked.odt"_s) << QByteArray() << QList<qsizetype>()
            << QStringList();

        // "#tag", a lone "#", "# " with nothing after, an indented or tabbed
        // "#" and seven "#"s are text; the last line can be a marker.
        QTest::newRow("plain text, # rules")
            << u"rules.txt"_s
            << QByteArray("# Intro\r\nHello\r\n#tag\r\n#\r\n## Part   two \r\nText\r\n#  \r\n"
                          " # indented\r\n#\tTab\r\n####### seven\r\n# Last")
            << QList<qsizetype>{0, 4, 10} << QStringList{u"Intro"_s, u"Part two"_s, u"Last"_s};
        QTest::newRow("plain text, no markers")
            << u"none.txt"_s << QByteArray("Good evening.\nNo sections here.\n#hashtag\n")
            << QList<qsizetype>() << QStringList();
        QTest::newRow("empty script")
            << u"empty.txt"_s << QByteArray(" ") << QList<qsizetype>() << QStringList();
        QTest::newRow("RTF, # rules")
            << u"show.RTF"_s
            << QByteArray("{\\rtf1\\ansi # Opening\\par Welcome.\\par #tag\\par # Close\\par}")
            << QList<qsizetype>{0, 3} << QStringList{u"Opening"_s, u"Close"_s};
        // Markdown's own "#" lines are headings of its reader, shown without the "#".
        QTest::newRow("Markdown headings")
            << u"show.md"_s << QByteArray("# One\n\ntext #tag\n\n## Two\n\n#not\n")
            << QList<qsizetype>{0, 2} << QStringList{u"One"_s, u"Two"_s};

        const QString longText(100000, u'x');
        QTest::newRow("100,000-character marker line")
            << u"long.txt"_s << (u"Start\n# "_s + longText).toUtf8() << QList<qsizetype>{1}
            << QStringList{QString(MarkerList::kMaxLabel, u'x')};
        // A cut never splits a character outside the basic plane.
        const QString emoji = QString(59, u'a') + u"\U0001F600tail"_s;
        QTest::newRow("label cut before a surrogate pair")
            << u"emoji.txt"_s << (u"# "_s + emoji).toUtf8() << QList<qsizetype>{0}
            << QStringList{QString(59, u'a')};

        QByteArray many;
        QList<qsizetype> manyLines;
        QStringList manyLabels;
        for (int i = 0; i < 10000; ++i) {
            many += "# Section " + QByteArray::number(i) + "\nText of the section.\n";
            manyLines.append(qsizetype(i) * 2);
            manyLabels.append(u"Section %1"_s.arg(i));
        }
        QTest::newRow("10,000 markers") << u"many.txt"_s << many << manyLines << manyLabels;
    }

    void markersOfScripts()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, content);
        QFETCH(QList<qsizetype>, lines);
        QFETCH(QStringList, labels);
        QTemporaryDir dir;
        QString path = file;
        if (!content.isEmpty()) {
            path = dir.filePath(file);
            QFile out(path);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(content);
        }
        QList<qsizetype> headings{99}; // cleared by the reader
        const QStringList script = readScript(path, nullptr, &headings);
        const MarkerList markers = MarkerList::forScript(scriptKindFor(path), script, headings);
        QCOMPARE(lineNumbers(markers), lines);
        QCOMPARE(::labels(markers), labels);
        // Each marker is the section of its own line and of the lines after it.
        for (qsizetype i = 0; i < markers.size(); ++i) {
            QCOMPARE(markers.sectionAt(markers.at(i).line), i);
            QCOMPARE(markers.sectionAt(script.size()), markers.size() - 1);
        }
    }

    void headingsOutOfRange_areDropped()
    {
        const QStringList lines{u"A"_s, u"B"_s, u"C"_s};
        const MarkerList markers = MarkerList::fromHeadings(lines, {2, -1, 0, 2, 7});
        QCOMPARE(lineNumbers(markers), (QList<qsizetype>{0, 2}));
    }

    // Next and previous from where the band stands: markers, the line at the
    // reading line, the scroll position, and an earlier jump (marker and the
    // scroll position it left; -1 for none).
    void jumps_data()
    {
        QTest::addColumn<QList<qsizetype>>("markerLines");
        QTest::addColumn<qsizetype>("jumpedTo");
        QTest::addColumn<int>("jumpedScroll");
        QTest::addColumn<qsizetype>("line");
        QTest::addColumn<int>("scroll");
        QTest::addColumn<MarkerJump>("next");
        QTest::addColumn<MarkerJump>("previous");

        using K = MarkerJump::Kind;
        const QList<qsizetype> three{5, 10, 20};
        QTest::newRow("top, before the first marker")
            << three << qsizetype(-1) << -1 << qsizetype(2) << 0 << MarkerJump{K::Marker, 0}
            << MarkerJump{};
        QTest::newRow("scrolled, before the first marker")
            << three << qsizetype(-1) << -1 << qsizetype(4) << 60 << MarkerJump{K::Marker, 0}
            << MarkerJump{K::Top, -1};
        QTest::newRow("inside the first section")
            << three << qsizetype(-1) << -1 << qsizetype(7) << 150 << MarkerJump{K::Marker, 1}
            << MarkerJump{K::Top, -1};
        QTest::newRow("on the second marker")
            << three << qsizetype(-1) << -1 << qsizetype(10) << 300 << MarkerJump{K::Marker, 2}
            << MarkerJump{K::Marker, 0};
        QTest::newRow("inside the last section: no wrap")
            << three << qsizetype(-1) << -1 << qsizetype(25) << 700 << MarkerJump{}
            << MarkerJump{K::Marker, 1};
        QTest::newRow("no markers") << QList<qsizetype>() << qsizetype(-1) << -1 << qsizetype(9)
                                    << 200 << MarkerJump{} << MarkerJump{K::Top, -1};
        QTest::newRow("no markers, at the top")
            << QList<qsizetype>() << qsizetype(-1) << -1 << qsizetype(3) << 0 << MarkerJump{}
            << MarkerJump{};
        // The page shows its first lines at the top: a marker on line 0 is the
        // section the band is in, so "next" goes to the second.
        QTest::newRow("marker on the first line, at the top")
            << QList<qsizetype>{0, 8} << qsizetype(-1) << -1 << qsizetype(3) << 0
            << MarkerJump{K::Marker, 1} << MarkerJump{};
        // The last marker sits on the last line: the page stops scrolling with
        // it below the reading line. It still counts as reached.
        QTest::newRow("marker on the last line, reached")
            << QList<qsizetype>{5, 99} << qsizetype(1) << 900 << qsizetype(90) << 900
            << MarkerJump{} << MarkerJump{K::Marker, 0};
        QTest::newRow("marker on the last line, page moved since")
            << QList<qsizetype>{5, 99} << qsizetype(1) << 900 << qsizetype(88) << 880
            << MarkerJump{K::Marker, 1} << MarkerJump{K::Top, -1};
    }

    void jumps()
    {
        QFETCH(QList<qsizetype>, markerLines);
        QFETCH(qsizetype, jumpedTo);
        QFETCH(int, jumpedScroll);
        QFETCH(qsizetype, line);
        QFETCH(int, scroll);
        QFETCH(MarkerJump, next);
        QFETCH(MarkerJump, previous);
        QStringList lines(100, u"text"_s);
        MarkerJumps jumps;
        jumps.setMarkers(MarkerList::fromHeadings(lines, markerLines));
        if (jumpedTo >= 0)
            jumps.jumped({MarkerJump::Kind::Marker, jumpedTo}, jumpedScroll);
        QCOMPARE(jumps.next(line, scroll), next);
        QCOMPARE(jumps.previous(line, scroll), previous);
    }

    void readingLine_data()
    {
        QTest::addColumn<int>("lineTop");
        QTest::addColumn<int>("lineHeight");
        QTest::addColumn<int>("viewport");
        QTest::addColumn<int>("maxScroll");
        QTest::addColumn<int>("scroll");
        QTest::newRow("a third of the way down") << 1000 << 30 << 300 << 5000 << 915;
        QTest::newRow("near the top") << 20 << 30 << 300 << 5000 << 0;
        QTest::newRow("near the end") << 4990 << 30 << 300 << 4800 << 4800;
        QTest::newRow("page shorter than the view") << 40 << 30 << 300 << 0 << 0;
    }

    void readingLine()
    {
        QFETCH(int, lineTop);
        QFETCH(int, lineHeight);
        QFETCH(int, viewport);
        QFETCH(int, maxScroll);
        QFETCH(int, scroll);
        QCOMPARE(scrollForReadingLine(lineTop, lineHeight, viewport, maxScroll), scroll);
    }
};

QTEST_GUILESS_MAIN(MarkersTest)
#include "tst_markers.moc"
