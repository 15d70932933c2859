#include "htmlview.h"
#include "imagecompare.h"

#include <QAbstractTextDocumentLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QTimer>
#include <QVBoxLayout>
#include <QWheelEvent>

namespace {

QStringList page(int lines, const QString &line = QStringLiteral("Line of the script"))
{
    QStringList result = {QStringLiteral("<html><head><style type=\"text/css\">"),
                          QStringLiteral("<!--"),
                          QStringLiteral("body,td,th {\tfont-family: Arial;"),
                          QStringLiteral("font-size: 24px;"),
                          QStringLiteral("\tcolor: #FFFFFF;"),
                          QStringLiteral("}"),
                          QStringLiteral("-->"),
                          QStringLiteral("</style></head>"),
                          QStringLiteral("<body>")};
    for (int i = 0; i < lines; ++i)
        result.append(line + QString::number(i) + QStringLiteral("<br>"));
    result.append(QStringLiteral("</body></html>"));
    return result;
}

// A web server that takes every connection and never answers, so that a
// fetch stays pending until its time limit.
class SilentServer
{
public:
    SilentServer()
    {
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection())
                socket->setParent(&m_server);
        });
        m_server.listen(QHostAddress::LocalHost);
    }
    QString address() const
    {
        return QStringLiteral("http://127.0.0.1:%1/").arg(m_server.serverPort());
    }

private:
    QTcpServer m_server;
};

enum class Interrupt
{
    QuitBefore,
    QuitDuring,
    ExitDuring,
    WindowClosed,
    NeverShown,
    ViewDestroyed
};

} // namespace

Q_DECLARE_METATYPE(Interrupt)

class HtmlViewTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<HtmlView> view;

    void loadAndWait(const QStringList &lines)
    {
        QSignalSpy complete(view.get(), &HtmlView::documentComplete);
        view->loadPage(lines);
        QVERIFY(view->isLoading());
        QVERIFY(complete.wait(5000));
        QCOMPARE(complete.count(), 1);
    }

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void init()
    {
        view = std::make_unique<HtmlView>();
        view->resize(800, 200);
        view->show();
        QVERIFY(QTest::qWaitForWindowExposed(view.get()));
    }

    void cleanup() { view.reset(); }

    void positionIsMinusOne_beforeAnyDocument()
    {
        QCOMPARE(view->scrollPosition(), -1);
        view->scrollTo(0, 100);
        QCOMPARE(view->scrollPosition(), -1);
        view->loadPage(page(3));
        // Still loading the first page: no document yet.
        QCOMPARE(view->scrollPosition(), -1);
        view->waitUntilReady();
        QVERIFY(!view->isLoading());
        QCOMPARE(view->scrollPosition(), 0);
    }

    void loadPage_completesAsynchronously()
    {
        QSignalSpy complete(view.get(), &HtmlView::documentComplete);
        view->loadPage(page(3));
        QCOMPARE(complete.count(), 0);
        QVERIFY(complete.wait(5000));
        QVERIFY(view->engineText().endsWith(QStringLiteral("</body></html>\r\n")));
        QVERIFY(view->engineText().contains(QStringLiteral("<br>\r\n")));
    }

    void styleInsideCommentMarkers_isApplied()
    {
        loadAndWait(page(2));
        QVERIFY(!view->engineText().contains(QStringLiteral("<!--")));
        const QTextCharFormat format = view->document()->begin().begin().fragment().charFormat();
        QCOMPARE(format.foreground().color(), QColor(Qt::white));
        QCOMPARE(format.font().pixelSize(), 24);
        QCOMPARE(format.fontFamilies().toStringList().value(0), QStringLiteral("Arial"));
    }

    void unwrapStyleComments_touchesOnlyTheStyleBlock()
    {
        const QString html = QStringLiteral(
            "<style>\r\n<!--\r\nbody {}\r\n-->\r\n</style><body><!-- note --></body>");
        QCOMPARE(
            HtmlView::unwrapStyleComments(html),
            QStringLiteral("<style>\r\n\r\nbody {}\r\n\r\n</style><body><!-- note --></body>"));
    }

    void strayLessThan_isShownAsText_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("shown");
        QTest::newRow("comparison") << "a < b & c"
                                    << "a < b & c";
        QTest::newRow("digits") << "1<2 and 3 <= 4"
                                << "1<2 and 3 <= 4";
        QTest::newRow("markup stays markup") << "<b>bold</b> <i>x</i>"
                                             << "bold x";
        QTest::newRow("at the end") << "arrow <"
                                    << "arrow <";
    }

    void strayLessThan_isShownAsText()
    {
        QFETCH(QString, line);
        QFETCH(QString, shown);
        loadAndWait({QStringLiteral("<html><body>") + line + QStringLiteral("<br>"),
                     QStringLiteral("next line</body></html>")});
        const QStringList text = view->toPlainText().split(QLatin1Char('\n'));
        QCOMPARE(text.value(0), shown);
        QCOMPARE(text.value(1).trimmed(), QStringLiteral("next line"));
        QVERIFY(!view->document()->begin().next().begin().fragment().charFormat().font().bold());
    }

    void scrolling_isClampedAtBothEnds()
    {
        loadAndWait(page(400));
        const int maximum = view->verticalScrollBar()->maximum();
        QVERIFY(maximum > 1000);
        view->scrollTo(0, -50);
        QCOMPARE(view->scrollPosition(), 0);
        view->scrollTo(0, 123);
        QCOMPARE(view->scrollPosition(), 123);
        view->scrollTo(0, maximum + 1000);
        QCOMPARE(view->scrollPosition(), maximum);
        view->scrollToTop();
        QCOMPARE(view->scrollPosition(), 0);
        view->scrollToBottom();
        QCOMPARE(view->scrollPosition(), maximum);
    }

    void lengthAtCompletion_isFinal_data()
    {
        QTest::addColumn<int>("lines");
        QTest::newRow("short") << 20;
        QTest::newRow("long") << 3000;
    }

    void lengthAtCompletion_isFinal()
    {
        QFETCH(int, lines);
        int atCompletion = -1;
        connect(view.get(), &HtmlView::documentComplete, view.get(), [&] {
            view->scrollToBottom();
            atCompletion = view->scrollPosition();
        });
        view->loadPage(page(lines));
        view->waitUntilReady();
        QTest::qWait(300); // lets any lazy relayout run
        QCOMPARE(view->verticalScrollBar()->maximum(), atCompletion);
        // One paragraph per line keeps repaints cheap on long pages.
        QVERIFY(view->document()->blockCount() >= lines);
    }

    void scrollCommands_waitForAPendingLoad()
    {
        loadAndWait(page(400));
        view->scrollTo(0, 500);
        view->loadPage(page(800));
        QSignalSpy complete(view.get(), &HtmlView::documentComplete);
        view->scrollToBottom();
        QCOMPARE(complete.count(), 1);
        QCOMPARE(view->scrollPosition(), view->verticalScrollBar()->maximum());
        QVERIFY(view->scrollPosition() > 10000);
    }

    void keys_areReportedAndStillScroll()
    {
        loadAndWait(page(400));
        QSignalSpy keys(view.get(), &HtmlView::keyDown);
        QTest::keyClick(view.get(), Qt::Key_W);
        QTest::keyClick(view.get(), Qt::Key_W, Qt::ShiftModifier);
        QTest::keyClick(view.get(), Qt::Key_W, Qt::ControlModifier);
        QTest::keyClick(view.get(), 'w');
        // The modifier keys report their own presses, as on any keyboard.
        int w = 0;
        for (const auto &k : keys) {
            const int code = k.at(0).toInt();
            QVERIFY(code == 87 || code == Qt::Key_Shift || code == Qt::Key_Control);
            w += code == 87;
        }
        QCOMPARE(w, 4);
        keys.clear();
        QTest::keyClick(view.get(), Qt::Key_Down);
        QCOMPARE(keys.count(), 1);
        const int afterDown = view->scrollPosition();
        QVERIFY(afterDown > 0);
        QTest::keyClick(view.get(), Qt::Key_PageDown);
        QVERIFY(view->scrollPosition() > afterDown);
        QTest::keyClick(view.get(), Qt::Key_End);
        QCOMPARE(view->scrollPosition(), view->verticalScrollBar()->maximum());
        QTest::keyClick(view.get(), Qt::Key_Home);
        QCOMPARE(view->scrollPosition(), 0);
        QTest::keyClick(view.get(), Qt::Key_Space);
        QVERIFY(view->scrollPosition() > 0);
        const int beforeCtrlN = view->scrollPosition();
        QTest::keyClick(view.get(), Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(keys.constLast().at(0).toInt(), int(Qt::Key_N));
        QCOMPARE(view->scrollPosition(), beforeCtrlN);
    }

    void tabAndBacktab_stayOnThePage()
    {
        QWidget window;
        auto *layout = new QVBoxLayout(&window);
        auto *shown = new HtmlView(&window);
        auto *other = new QLineEdit(&window);
        layout->addWidget(shown);
        layout->addWidget(other);
        window.show();
        shown->setFocus();
        QSignalSpy keys(shown, &HtmlView::keyDown);
        QTest::keyClick(shown, Qt::Key_Tab);
        QTest::keyClick(shown, Qt::Key_Backtab, Qt::ShiftModifier);
        QTest::keyClick(shown, Qt::Key_Tab, Qt::ShiftModifier);
        QCOMPARE(window.focusWidget(), shown);
        QList<int> codes;
        for (const auto &k : keys)
            codes.append(k.at(0).toInt());
        QCOMPARE(codes.count(int(Qt::Key_Tab)) + codes.count(int(Qt::Key_Backtab)), 3);
    }

    void nonLatinLayout_lettersArriveAsTheirPhysicalKeys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("text");
        QTest::addColumn<quint32>("scanCode");
        QTest::addColumn<quint32>("keysym");
        QTest::addColumn<int>("reported");
        // What the xcb platform delivers for the W, S and D keys on a Russian layout.
        QTest::newRow("ru W") << 0x426 << QStringLiteral("ц") << 25u << 0x6c3u << int(Qt::Key_W);
        QTest::newRow("ru S") << 0x42b << QStringLiteral("ы") << 39u << 0x6d9u << int(Qt::Key_S);
        QTest::newRow("ru D") << 0x412 << QStringLiteral("в") << 40u << 0x6d7u << int(Qt::Key_D);
        QTest::newRow("el E") << 0x395 << QStringLiteral("ε") << 26u << 0x7e5u << int(Qt::Key_E);
        QTest::newRow("azerty A on the Q key")
            << int(Qt::Key_A) << QStringLiteral("a") << 24u << 0x61u << int(Qt::Key_A);
    }

    void nonLatinLayout_lettersArriveAsTheirPhysicalKeys()
    {
        QFETCH(int, key);
        QFETCH(QString, text);
        QFETCH(quint32, scanCode);
        QFETCH(quint32, keysym);
        QFETCH(int, reported);
        loadAndWait(page(5));
        QSignalSpy keys(view.get(), &HtmlView::keyDown);
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, scanCode, keysym, 0, text);
        QCoreApplication::sendEvent(view.get(), &press);
        QCOMPARE(keys.count(), 1);
        QCOMPARE(keys.constFirst().at(0).toInt(), reported);
    }

    void clicks_reportLeftAndRightPressesOnly()
    {
        loadAndWait(page(5));
        QSignalSpy clicks(view.get(), &HtmlView::click);
        QWidget *target = view->viewport();
        QTest::mousePress(target, Qt::LeftButton, {}, QPoint(20, 20));
        QTest::mouseRelease(target, Qt::LeftButton, {}, QPoint(20, 20));
        QTest::mousePress(target, Qt::RightButton, {}, QPoint(20, 20));
        QTest::mouseRelease(target, Qt::RightButton, {}, QPoint(20, 20));
        QTest::mousePress(target, Qt::MiddleButton, {}, QPoint(20, 20));
        QTest::mouseRelease(target, Qt::MiddleButton, {}, QPoint(20, 20));
        QCOMPARE(clicks.count(), 2);
        QCOMPARE(clicks.at(0).at(0).value<Qt::MouseButton>(), Qt::LeftButton);
        QCOMPARE(clicks.at(1).at(0).value<Qt::MouseButton>(), Qt::RightButton);
    }

    void mirroredPage_isTheFlippedPictureAndKeepsItsInput_data()
    {
        QTest::addColumn<bool>("leftToRight");
        QTest::addColumn<bool>("topToBottom");
        QTest::newRow("left to right") << true << false;
        QTest::newRow("top to bottom") << false << true;
        QTest::newRow("both") << true << true;
    }

    void mirroredPage_isTheFlippedPictureAndKeepsItsInput()
    {
        QFETCH(bool, leftToRight);
        QFETCH(bool, topToBottom);
        loadAndWait(page(60));
        view->scrollTo(0, 37);
        const QImage plain = view->viewport()->grab().toImage();
        view->setMirrored(leftToRight, topToBottom);
        // Small moves reuse the pixels already shown; they must move the flipped way.
        view->scrollTo(0, 20);
        QCoreApplication::processEvents();
        view->scrollTo(0, 37);
        QCoreApplication::processEvents();
        const QRect port(view->viewport()->mapTo(view.get(), QPoint()), view->viewport()->size());
        const QImage shown =
            view->screen()
                ->grabWindow(view->winId(), port.x(), port.y(), port.width(), port.height())
                .toImage()
                .convertToFormat(plain.format());
        QVERIFY(differingShare(shown, plain.mirrored(leftToRight, topToBottom)) < 0.005);
        QVERIFY(differingShare(shown, plain) > 0.02);
        // Presses, keys and the wheel mean what they meant.
        QSignalSpy clicks(view.get(), &HtmlView::click);
        QTest::mousePress(view->viewport(), Qt::RightButton, {}, QPoint(20, 20));
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(clicks.at(0).at(0).value<Qt::MouseButton>(), Qt::RightButton);
        QTest::keyClick(view.get(), Qt::Key_Down);
        QCOMPARE(view->scrollPosition(), 37 + view->verticalScrollBar()->singleStep());
        const int before = view->scrollPosition();
        QWheelEvent wheel(QPointF(20, 20), view->viewport()->mapToGlobal(QPointF(20, 20)), {},
                          QPoint(0, -120), Qt::NoButton, {}, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(view->viewport(), &wheel);
        QVERIFY(view->scrollPosition() > before);
    }

    void page_cannotSelectTextOrFollowLinks()
    {
        loadAndWait({QStringLiteral("<html><body><a href=\"http://example.com/\">") +
                     QStringLiteral("A link across the whole first line of the page</a><br>") +
                     QStringLiteral("<script>document.write('x')</script></body></html>")});
        QSignalSpy anchors(view.get(), &QTextBrowser::anchorClicked);
        QWidget *target = view->viewport();
        QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(10, 10));
        QTest::mouseDClick(target, Qt::LeftButton, {}, QPoint(10, 10));
        QTest::mousePress(target, Qt::LeftButton, {}, QPoint(5, 10));
        QTest::mouseMove(target, QPoint(300, 10));
        QTest::mouseRelease(target, Qt::LeftButton, {}, QPoint(300, 10));
        QCOMPARE(anchors.count(), 0);
        QVERIFY(!view->textCursor().hasSelection());
        QCOMPARE(view->source(), QUrl());
        QCOMPARE(view->contextMenuPolicy(), Qt::NoContextMenu);
        QCOMPARE(view->viewport()->contextMenuPolicy(), Qt::NoContextMenu);
        QVERIFY(!view->toPlainText().contains(QLatin1Char('x')));
    }

    void brokenOrHugePages_stillLoadAndScroll_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("markup errors") << page(50, QStringLiteral("<b><i>unclosed <p <<>>"));
        QTest::newRow("unknown tags") << page(50, QStringLiteral("<blink><marquee>x</foo>"));
        QTest::newRow("huge") << page(20000);
    }

    void brokenOrHugePages_stillLoadAndScroll()
    {
        QFETCH(QStringList, lines);
        loadAndWait(lines);
        view->scrollToBottom();
        QVERIFY(view->scrollPosition() > 0);
        view->scrollTo(0, 10);
        QCOMPARE(view->scrollPosition(), 10);
    }

    // Script lines that begin sections, among lines of every kind: each marked
    // line's first row is found where the engine laid it out, and putting it a
    // third of the way down the view puts it at the reading line.
    void marks_findTheirLines_data()
    {
        QTest::addColumn<QStringList>("body"); // script lines, each ended by <br> on the page
        QTest::addColumn<QList<qsizetype>>("marked"); // indexes into body
        QTest::addColumn<QStringList>(
            "starts"); // what each marked line shows first; empty: dropped
        const auto lines = [](int count) {
            QStringList result;
            for (int i = 0; i < count; ++i)
                result.append(QStringLiteral("Line %1 of the script").arg(i));
            return result;
        };
        QStringList plain = lines(60);
        plain[10] = QStringLiteral("# One");
        plain[30] = QStringLiteral("# Two");
        plain[59] = QStringLiteral("# Last");
        QTest::newRow("plain lines, the last one marked")
            << plain << QList<qsizetype>{10, 30, 59}
            << QStringList{QStringLiteral("# One"), QStringLiteral("# Two"),
                           QStringLiteral("# Last")};
        // Markup that makes rows or paragraphs of its own shifts the engine's
        // blocks away from the script's lines; long lines are cut in paragraphs.
        QStringList markup = lines(40);
        markup[2] = QStringLiteral("two<br>rows<p>and a paragraph</p>");
        markup[5] = QString(30000, u'x');
        markup[8] = QStringLiteral("<b>Bold</b> heading");
        markup[12] = QString();
        markup[20] = QStringLiteral("<h1>Big</h1>");
        QTest::newRow("markup, a long line, an empty line")
            << markup << QList<qsizetype>{8, 12, 13, 20}
            << QStringList{QStringLiteral("Bold heading"), QStringLiteral("\u2028"),
                           QStringLiteral("Line 13"), QString()};
        // A comment opened on one line hides what follows; its mark goes with
        // it. The engine drops a mark before a heading or a list that begins
        // a line (a new paragraph takes no anchor from before it).
        QStringList comment = lines(20);
        comment[4] = QStringLiteral("<!-- note to self");
        comment[6] = QStringLiteral("end -->");
        QTest::newRow("a mark inside a comment")
            << comment << QList<qsizetype>{5, 9}
            << QStringList{QString(), QStringLiteral("Line 9")};
        QStringList list = lines(30);
        list[3] = QStringLiteral("<ul><li>an item</li></ul>");
        QTest::newRow("a list keeps the page one paragraph per <br> run")
            << list << QList<qsizetype>{3, 25} << QStringList{QString(), QStringLiteral("Line 25")};
        QTest::newRow("no marks") << lines(10) << QList<qsizetype>() << QStringList();
    }

    void marks_findTheirLines()
    {
        QFETCH(QStringList, body);
        QFETCH(QList<qsizetype>, marked);
        QFETCH(QStringList, starts);
        QStringList lines = page(0);
        const qsizetype first = lines.size() - 1;
        for (const QString &line : body)
            lines.insert(lines.size() - 1, line + QStringLiteral("<br>"));
        for (int i = 0; i < 11; ++i)
            lines.insert(lines.size() - 1, QStringLiteral("<br>"));
        QList<qsizetype> pageLines;
        for (const qsizetype line : marked)
            pageLines.append(first + line);
        QSignalSpy complete(view.get(), &HtmlView::documentComplete);
        view->setMarginMarksShown(true);
        view->loadPage(lines, pageLines);
        QCOMPARE(view->markPlace(0).top, -1); // not before the page is there
        QVERIFY(complete.wait(5000));
        QCOMPARE(view->markCount(), marked.size());
        QTextDocument *document = view->document();
        qsizetype previous = -1;
        for (qsizetype i = 0; i < marked.size(); ++i) {
            const HtmlView::LinePlace place = view->markPlace(i);
            if (starts.at(i).isEmpty()) {
                QCOMPARE(place.top, -1);
                continue;
            }
            QVERIFY(place.top >= 0);
            QVERIFY(place.height > 0);
            // The row at the place shows the line's beginning.
            const int position = document->documentLayout()->hitTest(
                QPointF(view->document()->documentMargin() + 1, place.top + place.height / 2.0),
                Qt::FuzzyHit);
            const QTextBlock block = document->findBlock(position);
            const QTextLine row = block.layout()->lineForTextPosition(position - block.position());
            QString shown = block.text().mid(row.textStart(), starts.at(i).size());
            if (starts.at(i) == QStringLiteral("\u2028") && block.text().isEmpty())
                shown = starts.at(i); // an empty line is a paragraph of its own
            QCOMPARE(shown, starts.at(i));
            QCOMPARE(view->markAt(place.top), i);
            QCOMPARE(view->markAt(place.top - 1), previous);
            previous = i;
            // A third of the way down: the mark is the one at the reading line.
            view->scrollTo(0, place.top + place.height / 2 - view->readingLine());
            if (view->scrollPosition() < view->verticalScrollBar()->maximum() &&
                view->scrollPosition() > 0)
                QCOMPARE(view->markAt(view->scrollPosition() + view->readingLine()), i);
            // The margin beside the line shows the mark.
            const QImage shot = view->viewport()->grab().toImage();
            const int y = place.top - view->scrollPosition() + place.height / 2;
            if (y >= 0 && y < shot.height())
                QCOMPARE(shot.pixelColor(1, y), QColor(0x80, 0x80, 0x80));
        }
        // The text from the top to the first mark, and from there on.
        const HtmlView::LinePlace firstPlace = view->markPlace(0);
        if (firstPlace.top >= 0) {
            const QString before = view->shownText(0, firstPlace.top);
            const QString after = view->shownText(firstPlace.top);
            QVERIFY(before.startsWith(QStringLiteral("Line 0 of the script")));
            QVERIFY(!before.contains(starts.constFirst()));
            QVERIFY2(after.startsWith(starts.constFirst()) || after.startsWith(QChar(0x2029)),
                     qPrintable(after.left(40)));
            QVERIFY(after.contains(QStringLiteral("Line %1").arg(body.size() - 2)));
        }
        // Another page forgets the marks.
        view->loadPage(page(3));
        QCOMPARE(view->markAt(100000), -1);
        view->waitUntilReady();
        QCOMPARE(view->markCount(), 0);
        QCOMPARE(view->markAt(100000), -1);
    }

    void navigate_directoryBlankAndUnreachable()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QFile file(dir.filePath(QStringLiteral("news.txt")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QSignalSpy complete(view.get(), &HtmlView::documentComplete);
        view->navigate(QStringLiteral("   "));
        QVERIFY(!view->isLoading());
        view->navigate(dir.path());
        QVERIFY(complete.wait(5000));
        QVERIFY(complete.at(0).at(0).toString().startsWith(QStringLiteral("file:///")));
        QVERIFY(view->toPlainText().contains(QStringLiteral("news.txt")));
        view->navigate(QStringLiteral("http://127.0.0.1:1/"));
        QVERIFY(complete.wait(15000));
        QVERIFY(view->toPlainText().contains(QStringLiteral("cannot be shown")));
    }

    void waitUntilReady_endsOnQuitOrWithoutWindow_data()
    {
        QTest::addColumn<Interrupt>("interrupt");
        QTest::newRow("quit before the wait") << Interrupt::QuitBefore;
        QTest::newRow("quit during the wait") << Interrupt::QuitDuring;
        QTest::newRow("exit during the wait") << Interrupt::ExitDuring;
        QTest::newRow("window closed during the wait") << Interrupt::WindowClosed;
        QTest::newRow("window never shown") << Interrupt::NeverShown;
        QTest::newRow("view destroyed during the wait") << Interrupt::ViewDestroyed;
    }

    // Waiting for the pending page, here a fetch that would only end at its
    // time limit, gives up while the page is pending.
    void waitUntilReady_endsOnQuitOrWithoutWindow()
    {
        QFETCH(Interrupt, interrupt);
        SilentServer server;
        QWidget window;
        window.resize(800, 200);
        QPointer<HtmlView> waiting = new HtmlView(&window);
        waiting->resize(800, 200);
        if (interrupt != Interrupt::NeverShown) {
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
        }
        waiting->navigate(server.address());
        QVERIFY(waiting->isLoading());

        bool returned = false;
        bool stillLoading = false;
        // The program's own event loop, which quit() and exit() end.
        QTimer::singleShot(0, &window, [&] {
            const auto soon = [&](auto action) { QTimer::singleShot(50, &window, action); };
            switch (interrupt) {
            case Interrupt::QuitBefore:
                QCoreApplication::quit();
                break;
            case Interrupt::QuitDuring:
                soon([] { QCoreApplication::quit(); });
                break;
            case Interrupt::ExitDuring:
                soon([] { QCoreApplication::exit(3); });
                break;
            case Interrupt::WindowClosed:
                soon([&] { window.close(); });
                break;
            case Interrupt::NeverShown:
                break;
            case Interrupt::ViewDestroyed:
                soon([&] { delete waiting.data(); });
                break;
            }
            waiting->waitUntilReady();
            returned = true;
            stillLoading = waiting && waiting->isLoading();
            QCoreApplication::quit();
        });
        QCoreApplication::exec();
        QVERIFY(returned);
        if (interrupt == Interrupt::ViewDestroyed)
            QVERIFY(!waiting);
        else
            QVERIFY(stillLoading);
    }

    void longUnbrokenLine_isShownWholeAndScrolls_data()
    {
        QTest::addColumn<QString>("unit");
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("listItem");
        const QString letters = QStringLiteral("abcdefghijklmnopqrstuvwxyz0123456789");
        const QString words = QStringLiteral("and here is the news from the studio ");
        QTest::newRow("1 MB without blanks") << letters << 1000000 << false;
        QTest::newRow("7.5 MB without blanks") << letters << 7500000 << false;
        QTest::newRow("1 MB of words") << words << 1000000 << false;
        QTest::newRow("1 MB in a list item") << letters << 1000000 << true;
    }

    void longUnbrokenLine_isShownWholeAndScrolls()
    {
        QFETCH(QString, unit);
        QFETCH(int, length);
        QFETCH(bool, listItem);
        const QString line = unit.repeated(length / unit.size() + 1).left(length);
        QStringList lines = page(0);
        const QString body = listItem ? QStringLiteral("<ul><li>%1</li></ul>").arg(line)
                                      : QString(line + QStringLiteral("<br>"));
        lines.insert(lines.size() - 1, body);
        loadAndWait(lines);

        // Every character is shown, in order: the page holds nothing else but
        // the blank that ends the body.
        QString shown = view->toPlainText();
        shown.remove(QLatin1Char('\n'));
        QVERIFY(shown.size() >= line.size());
        QVERIFY(shown.startsWith(line));
        QVERIFY(shown.mid(line.size()).trimmed().isEmpty());
        // The engine's line breaking takes time growing with the square of a
        // paragraph's length, so the line is shown as paragraphs of bounded
        // length, cut between words where it has any.
        const bool hasBlanks = line.contains(QLatin1Char(' '));
        int longest = 0;
        int listItems = 0;
        for (QTextBlock block = view->document()->begin(); block.isValid(); block = block.next()) {
            const QString text = block.text();
            longest = qMax(longest, int(text.size()));
            listItems += block.textList() != nullptr;
            if (hasBlanks && block.next().isValid() && !block.next().text().isEmpty())
                QVERIFY2(text.endsWith(QLatin1Char(' ')), qPrintable(text.right(20)));
        }
        QVERIFY(longest > 0);
        QVERIFY(longest <= 4000);
        // A list item's continuation is part of the item, not an item of its own.
        QCOMPARE(listItems, listItem ? 1 : 0);

        // The whole wrapped line can be scrolled through, end to end.
        const QFontMetricsF metrics(view->document()->begin().charFormat().font());
        const qreal width = metrics.horizontalAdvance(unit) * qreal(length) / qreal(unit.size());
        const int wrappedLines = int(width / view->viewport()->width());
        const int maximum = view->verticalScrollBar()->maximum();
        QVERIFY2(maximum >= wrappedLines * (int(metrics.height()) - 1) - view->viewport()->height(),
                 qPrintable(QStringLiteral("%1 for %2 lines").arg(maximum).arg(wrappedLines)));
        view->scrollToBottom();
        QCOMPARE(view->scrollPosition(), maximum);
        view->scrollTo(0, maximum / 2);
        QCOMPARE(view->scrollPosition(), maximum / 2);
        view->scrollToTop();
        QCOMPARE(view->scrollPosition(), 0);
    }
};

QTEST_MAIN(HtmlViewTest)
#include "tst_htmlview.moc"
