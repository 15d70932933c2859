#include "htmlview.h"
#include "imagecompare.h"
#include "registrystore.h"
#include "talentscreen.h"
#include "talentstore.h"
#include "talentwindow.h"

#include <QAction>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QVBoxLayout>

#include <memory>

namespace {

QStringList page(int lines, const QString &words)
{
    QStringList result = {QStringLiteral("<html><head><style type=\"text/css\">"),
                          QStringLiteral("body {\tfont-family: Arial; font-size: 24px;"),
                          QStringLiteral("\tcolor: #FFFFFF; }</style></head><body>")};
    for (int i = 0; i < lines; ++i)
        result.append(words.arg(i) + QStringLiteral("<br>"));
    result.append(QStringLiteral("</body></html>"));
    return result;
}

const QString kNews = QStringLiteral("Line %1 of the evening news, read slowly to the camera "
                                     "in the studio, <b>word</b> by word, until the end");

// Each line in a colour of its own: every line's glyphs are new pictures.
QStringList colouredPage(int lines)
{
    QStringList result = page(lines, kNews);
    for (int i = 0; i < lines; ++i) {
        const QString colour = QString::number(0x404040 + (qint64(i) * 0x0b0713) % 0xbfbfbf, 16);
        result[3 + i] = QStringLiteral("<font color=#%1>").arg(colour) + result[3 + i] +
                        QStringLiteral("</font>");
    }
    return result;
}

// A band: the page in a window of its own, loaded and shown.
struct Band
{
    QWidget window;
    HtmlView *view = new HtmlView(&window);

    Band()
    {
        auto *layout = new QVBoxLayout(&window);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(view);
        window.resize(1000, 200);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        load(page(120, kNews));
    }

    void load(const QStringList &lines)
    {
        view->loadPage(lines);
        view->waitUntilReady();
        QVERIFY(view->hasDocument());
    }
};

// Waits until the window has laid out the stretch of the page at the band's place.
bool caughtUp(TalentWindow &window)
{
    return QTest::qWaitFor([&] { return window.caughtUp(); }, 5000);
}

// The window's copy is the band's text where it starts.
void compareCopy(const TalentWindow &window, const QTextDocument &band)
{
    const QString copy = window.pageCopy()->toPlainText();
    QVERIFY(!copy.isEmpty());
    QCOMPARE(band.toPlainText().mid(window.pageCopyStart(), copy.size()), copy);
}

// The window's picture once every strip of it is drawn (a frame draws the
// strips at the reading line and leaves others for the next frames).
QImage settled(TalentWindow &window)
{
    // A hidden window takes its size when first drawn.
    window.grab();
    if (!caughtUp(window))
        return {};
    QImage picture = window.grab().toImage();
    for (int i = 0; i < 100 && !window.lastFrameComplete(); ++i)
        picture = window.grab().toImage();
    return picture;
}

} // namespace

Q_DECLARE_METATYPE(MirrorFlags)

// The talent window, its stored values and its submenu.
class TalentWindowTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyFrame_showsTheBandsLineAtTheReadingLine_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<MirrorFlags>("mirror");
        QTest::addColumn<QStringList>("script");
        // Band pixels a move; 0: a few small moves, then leaps through the page.
        QTest::addColumn<int>("stride");
        const QStringList news = page(120, kNews);
        QTest::newRow("one pixel") << QSize(1, 1) << MirrorFlags{} << news << 0;
        QTest::newRow("small, plain") << QSize(640, 480) << MirrorFlags{false, false} << news << 0;
        QTest::newRow("full HD, both flips")
            << QSize(1920, 1080) << MirrorFlags{true, true} << news << 0;
        QTest::newRow("8K") << QSize(7680, 4320) << MirrorFlags{true, false} << news << 0;
        // Only a stretch around the band's place is laid out, whatever the script's length.
        QTest::newRow("long script")
            << QSize(1920, 1080) << MirrorFlags{} << page(3000, kNews) << 0;
        // The glyph pictures stay within their budget however many there are.
        QTest::newRow("a colour a line")
            << QSize(1280, 720) << MirrorFlags{true, false} << colouredPage(400) << 0;
        // Stretches cut again as the band moves on keep the picture shown.
        QTest::newRow("long script, small moves")
            << QSize(1280, 720) << MirrorFlags{false, true} << page(3000, kNews) << 45;
    }

    void everyFrame_showsTheBandsLineAtTheReadingLine()
    {
        QFETCH(QSize, size);
        QFETCH(MirrorFlags, mirror);
        QFETCH(QStringList, script);
        QFETCH(int, stride);
        Band band;
        band.load(script);
        auto talent = std::make_unique<TalentWindow>(band.view);
        talent->setMirror(mirror);
        talent->resize(size);
        talent->showPrepared();
        QVERIFY(!talent->isVisible());
        QVERIFY(QTest::qWaitFor([&] { return talent->isVisible(); }, 5000));
        QVERIFY(QTest::qWaitForWindowExposed(talent.get()));
        // The whole picture was written, a step at a time, before the window showed.
        QCOMPARE(talent->preparedRows(), size.height());
        QList<TalentWindow::Frame> frames;
        QList<const QTextDocument *> copies; // what each frame was drawn from
        bool grabbing = false;               // the test's own pictures are no frames
        talent->setFrameHook([&](const TalentWindow::Frame &frame) {
            if (grabbing)
                return;
            frames.append(frame);
            copies.append(talent->pageCopy());
        });
        const int end = band.view->verticalScrollBar()->maximum();
        QVERIFY(end > 1000);
        // Each move of the band reaches the window by its own frame clock; the
        // picture it moves must match one drawn afresh.
        const int last = stride > 0 ? qMin(end, 5 + 90 * stride) : end + 40;
        for (int y = 5; y <= last; y += stride > 0 ? stride : (y < 60 ? 7 : end / 17 + 3)) {
            const qsizetype before = frames.size();
            band.view->scrollTo(0, y);
            // A window one pixel high shows the page a pixel high: it hardly moves.
            if (!QTest::qWaitFor([&] { return frames.size() > before; }, 500)) {
                QCOMPARE(size, QSize(1, 1));
                continue;
            }
            // A stretch of the page laid out meanwhile is drawn whole at the next frame.
            // Bands whose glyph pictures are left for later frames are drawn by then.
            QVERIFY(QTest::qWaitFor(
                [&] {
                    return talent->caughtUp() && copies.constLast() == talent->pageCopy() &&
                           talent->lastFrameComplete();
                },
                5000));
            const QScrollBar *bar = band.view->verticalScrollBar();
            QCOMPARE(frames.constLast().band,
                     textSpotAt(*band.view->document(),
                                bar->value() + band.view->viewport()->height() / 3));
            const int copied = talent->pageCopy()->characterCount();
            QVERIFY2(copied <= 12000, qPrintable(QString::number(copied)));
            compareCopy(*talent, *band.view->document());
            QVERIFY(talent->glyphBytes() <= TalentWindow::glyphBudgetFor(size));
            if (size.width() <= 1920) {
                const QImage shown = talent->screen()
                                         ->grabWindow(talent->winId())
                                         .toImage()
                                         .convertToFormat(QImage::Format_RGB32);
                grabbing = true;
                const QImage fresh = talent->grab().toImage().convertToFormat(QImage::Format_RGB32);
                grabbing = false;
                QCOMPARE(differingShare(shown, fresh), 0.0);
            }
        }
        QVERIFY(frames.size() >= (size.height() > 1 ? 24 : 0));
        if (stride > 0) {
            QVERIFY2(talent->slicesCut() >= 3, qPrintable(QString::number(talent->slicesCut())));
            // After the first, no frame draws the whole window.
            for (qsizetype i = 1; i < frames.size(); ++i)
                QVERIFY2(!frames.at(i).wholeWindow, qPrintable(QString::number(i)));
        }
        for (const TalentWindow::Frame &frame : std::as_const(frames)) {
            QVERIFY(frame.band.position >= 0);
            QVERIFY(frame.sameLine());
            // No frame stops the band to make more than its share of glyph pictures.
            QVERIFY2(frame.newGlyphBytes <= TalentWindow::kNewGlyphBytesPerFrame ||
                         frame.newGlyphs == 1,
                     qPrintable(QString::number(frame.newGlyphBytes)));
            // The band's line is drawn at the window's reading line, not its top.
            QCOMPARE(frame.readingRow, qint64(talent->readingLine()));
        }
        // About 35 characters a line: larger text than the band's, whatever the width.
        if (size.width() >= 640)
            QVERIFY(talent->scale() > 1.2);
        QVERIFY(talent->scale() > 0);
    }

    void mirrorFlags_flipTheWholePicture_data()
    {
        QTest::addColumn<MirrorFlags>("mirror");
        QTest::addColumn<QString>("words");
        QTest::newRow("left to right") << MirrorFlags{true, false} << kNews;
        QTest::newRow("top to bottom") << MirrorFlags{false, true} << kNews;
        QTest::newRow("both, coloured markup")
            << MirrorFlags{true, true}
            << QStringLiteral("Line %1 <font color=red>in red</font> and <u>underlined</u>");
    }

    void mirrorFlags_flipTheWholePicture()
    {
        QFETCH(MirrorFlags, mirror);
        QFETCH(QString, words);
        Band band;
        band.load(page(120, words));
        band.view->scrollTo(0, 333);
        TalentWindow talent(band.view);
        talent.resize(800, 600);
        talent.setMirror({false, false});
        const QImage plain = settled(talent);
        talent.setMirror(mirror);
        const QImage flipped = settled(talent);
        QVERIFY(differingShare(flipped, plain.mirrored(mirror.leftToRight, mirror.topToBottom)) <
                0.005);
        QVERIFY(differingShare(flipped, plain) > 0.05);
        // The markup's colours are the band's.
        bool red = false;
        for (int y = 0; y < flipped.height() && !red; ++y) {
            for (int x = 0; x < flipped.width() && !red; ++x) {
                const QColor c = flipped.pixelColor(x, y);
                red = c.red() > 200 && c.green() < 60 && c.blue() < 60;
            }
        }
        QCOMPARE(red, words.contains(QStringLiteral("red")));
        // The band's countdown shows over the page, flipped with it, and goes.
        talent.setOverlayText(QStringLiteral("3"));
        QVERIFY(differingShare(settled(talent), flipped) > 0.01);
        talent.setOverlayText({});
        QVERIFY(differingShare(settled(talent), flipped) < 0.005);
    }

    void scriptsReplacedWhileShown_areFollowed()
    {
        Band band;
        TalentWindow talent(band.view);
        talent.resize(800, 600);
        talent.setCharactersPerLine(20);
        // Nothing is copied while the window is being set up, and then only once.
        QVERIFY(!talent.pageCopy());
        QCOMPARE(talent.slicesCut(), 0);
        QVERIFY(caughtUp(talent));
        QCOMPARE(talent.slicesCut(), 1);
        compareCopy(talent, *band.view->document());
        band.load(page(30, QStringLiteral("Second script, line %1")));
        QVERIFY(caughtUp(talent));
        compareCopy(talent, *band.view->document());
        band.view->scrollTo(0, 200);
        const qreal followed = talent.followedHeight();
        // Until the next page completes, the talent keeps the place it had.
        band.view->loadPage(page(10, QStringLiteral("Third %1")));
        QCOMPARE(talent.followedHeight(), followed);
        band.view->waitUntilReady();
        QVERIFY(caughtUp(talent));
        QCOMPARE(talent.pageCopy()->toPlainText(), band.view->document()->toPlainText());
        QVERIFY(talent.pageCopy()->toPlainText().startsWith(QStringLiteral("Third 0")));
        // Larger text: fewer characters a line, a larger scale.
        const qreal scale = talent.scale();
        talent.setCharactersPerLine(10);
        QVERIFY(caughtUp(talent));
        QVERIFY(talent.scale() > scale * 1.5);
    }

    void store_keepsEachScreensFlagsUnderNewNames()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("user.reg"));
        RegistryStore registry(QStringLiteral("software\\test"), file);
        TalentStore store(registry, QStringLiteral("Form1"));
        QCOMPARE(store.screenName(), QString());
        QCOMPARE(store.charactersPerLine(), 35);
        // Left to right by default: a beam-splitter glass reflects that way.
        QCOMPARE(store.mirror(QStringLiteral("DUMMY1")), (MirrorFlags{true, false}));
        store.setMirror(QStringLiteral("DUMMY1"), {true, true});
        store.setMirror(QStringLiteral("HDMI\\2"), {false, true});
        store.setScreenName(QStringLiteral("DUMMY1"));
        store.setCharactersPerLine(100000);
        TalentStore again(registry, QStringLiteral("Form1"));
        QCOMPARE(again.mirror(QStringLiteral("DUMMY1")), (MirrorFlags{true, true}));
        QCOMPARE(again.mirror(QStringLiteral("HDMI\\2")), (MirrorFlags{false, true}));
        QCOMPARE(again.mirror(QStringLiteral("DP-3")), (MirrorFlags{true, false}));
        QCOMPARE(again.screenName(), QStringLiteral("DUMMY1"));
        QCOMPARE(again.charactersPerLine(), 200);
        // Synced to disk in the background, while the band goes on.
        registry.waitForBackgroundWrites();
        QFile saved(file);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        const QByteArray text = saved.readAll();
        QVERIFY(text.contains("\"TalentMirror(DUMMY1)\"=dword:00000003"));
        QVERIFY(text.contains("\"TalentMirror(HDMI_2)\"=dword:00000002"));
        QVERIFY(text.contains("\"TalentScreen\"=\"DUMMY1\""));
    }

    void absentOrOwnScreen_isNeverOpened()
    {
        QTemporaryDir dir;
        RegistryStore registry(QStringLiteral("software\\test"),
                               dir.filePath(QStringLiteral("user.reg")));
        TalentStore(registry, QStringLiteral("Form1")).setScreenName(QStringLiteral("GONE-7"));
        Band band;
        TalentScreen talent(band.view, &band.window, registry, QStringLiteral("Form1"), nullptr);
        talent.start();
        QVERIFY(!talent.window());
        QCOMPARE(talent.chosen(), QStringLiteral("GONE-7"));
        // The band's own screen is not offered; here it is the only one.
        QVERIFY(talent.candidates().isEmpty());
        Q_EMIT talent.menu()->aboutToShow();
        QStringList captions;
        for (QAction *item : talent.menu()->actions()) {
            if (!item->isSeparator())
                captions.append(item->text() +
                                (item->isChecked() ? QStringLiteral("*") : QString()));
        }
        QCOMPARE(captions,
                 QStringList({QStringLiteral("Off*"), QStringLiteral("Mirror Left to Right*"),
                              QStringLiteral("Mirror Top to Bottom"), QStringLiteral("Larger Text"),
                              QStringLiteral("Smaller Text")}));
        talent.choose(band.window.screen()->name());
        QVERIFY(!talent.window());
        talent.menu()->findChild<QAction *>(QStringLiteral("largerTextAction"))->trigger();
        QCOMPARE(TalentStore(registry, QStringLiteral("Form1")).charactersPerLine(), 29);
        talent.choose(QString());
        QCOMPARE(TalentStore(registry, QStringLiteral("Form1")).screenName(), QString());
    }
};

QTEST_MAIN(TalentWindowTest)
#include "tst_talentwindow.moc"
