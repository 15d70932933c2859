#include "dialogs.h"
#include "printing.h"

#include <QApplication>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QTimer>

#include <QFile>
#include <QImage>
#include <QPdfWriter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>

// A screen page printed to PDF keeps its text, its proportions and its colours.
class PrintingTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    static QString scriptPage(int lines, int pixels)
    {
        QString html = QStringLiteral("<html><head><style>body { color: #FFFFFF; "
                                      "background-color: #000000; font-family: Arial; "
                                      "font-size: %1px; }</style></head><body>")
                           .arg(pixels);
        for (int i = 0; i < lines; ++i)
            html += QStringLiteral("Line %1 of the evening news<br>").arg(i);
        return html + QStringLiteral("</body></html>");
    }

    QString printToPdf(const QString &html, int resolution)
    {
        QTextDocument document;
        document.setHtml(html);
        const QString path = m_dir.filePath(QStringLiteral("page-%1.pdf").arg(resolution));
        QPdfWriter writer(path);
        writer.setResolution(resolution);
        printScreenDocument(document, writer);
        return path;
    }

    static QString run(const QString &program, const QStringList &arguments)
    {
        QProcess process;
        process.start(program, arguments);
        if (!process.waitForFinished(60000) || process.exitCode() != 0)
            qFatal("%s failed", qPrintable(program));
        return QString::fromUtf8(process.readAllStandardOutput());
    }

private Q_SLOTS:
    void everyLineReachesThePages()
    {
        const QString pdf = printToPdf(scriptPage(200, 32), 1200);
        const QString text =
            run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        for (int i = 0; i < 200; ++i)
            QVERIFY2(text.contains(QStringLiteral("Line %1 of the evening news").arg(i)),
                     qPrintable(QStringLiteral("line %1 missing").arg(i)));
        const QString info = run(QStringLiteral("pdfinfo"), {pdf});
        const int pages = info.section(QStringLiteral("Pages:"), 1)
                              .trimmed()
                              .section(QLatin1Char('\n'), 0, 0)
                              .toInt();
        // 200 lines of 32 px, about 37 px a line, on A4 pages about 1,100 px high;
        // device dots instead of screen pixels would fit them on one page.
        QVERIFY2(pages >= 6 && pages <= 8, qPrintable(QString::number(pages)));
    }

    void proportionsDoNotDependOnTheDeviceResolution()
    {
        const QString low = printToPdf(scriptPage(200, 32), 300);
        const QString high = printToPdf(scriptPage(200, 32), 1200);
        const auto pages = [](const QString &pdf) {
            QProcess process;
            process.start(QStringLiteral("pdfinfo"), {pdf});
            process.waitForFinished(60000);
            return QString::fromUtf8(process.readAllStandardOutput())
                .section(QStringLiteral("Pages:"), 1)
                .trimmed()
                .section(QLatin1Char('\n'), 0, 0)
                .toInt();
        };
        QCOMPARE(pages(low), pages(high));
    }

    void coloursAreTheScreens()
    {
        const QString pdf = printToPdf(scriptPage(40, 32), 600);
        const QString prefix = m_dir.filePath(QStringLiteral("shot"));
        run(QStringLiteral("pdftoppm"),
            {QStringLiteral("-r"), QStringLiteral("50"), QStringLiteral("-f"), QStringLiteral("1"),
             QStringLiteral("-l"), QStringLiteral("1"), QStringLiteral("-png"), pdf, prefix});
        QImage page(prefix + QStringLiteral("-01.png"));
        if (page.isNull())
            page.load(prefix + QStringLiteral("-1.png"));
        QVERIFY(!page.isNull());
        int dark = 0, light = 0;
        for (int y = 0; y < page.height(); y += 2) {
            for (int x = 0; x < page.width(); x += 2) {
                const int grey = qGray(page.pixel(x, y));
                dark += grey < 40;
                light += grey > 215;
            }
        }
        const int samples = (page.width() / 2) * (page.height() / 2);
        // Black sheet, white letters.
        QVERIFY2(dark > samples * 7 / 10,
                 qPrintable(QStringLiteral("%1 of %2").arg(dark).arg(samples)));
        QVERIFY(light > samples / 100);
    }

    // Printing that fails says why; none of it passes for success.
    void failures_haveAReason_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("starts");
        QTest::addColumn<qint64>("cutTo"); // -1: the file stays as printed
        QTest::addColumn<bool>("complete");
        QTest::newRow("written") << QStringLiteral("good.pdf") << true << qint64(-1) << true;
        QTest::newRow("folder missing")
            << QStringLiteral("missing/page.pdf") << false << qint64(-1) << false;
        QTest::newRow("disk full") << QStringLiteral("/dev/full") << true << qint64(-1) << false;
        QTest::newRow("cut at 8 KiB") << QStringLiteral("cut.pdf") << true << qint64(8192) << false;
        QTest::newRow("empty") << QStringLiteral("empty.pdf") << true << qint64(0) << false;
    }

    void failures_haveAReason()
    {
        QFETCH(QString, path);
        QFETCH(bool, starts);
        QFETCH(qint64, cutTo);
        QFETCH(bool, complete);
        if (!path.startsWith(u'/'))
            path = m_dir.filePath(path);
        QTextDocument document;
        document.setHtml(scriptPage(200, 32));
        QString reason;
        {
            QPdfWriter writer(path);
            reason = printScreenDocument(document, writer);
        }
        QCOMPARE(reason.isEmpty(), starts);
        if (!starts)
            return;
        if (cutTo >= 0)
            QVERIFY(QFile::resize(path, cutTo));
        QCOMPARE(unfinishedPdfReason(path).isEmpty(), complete);
        if (!complete)
            QVERIFY(unfinishedPdfReason(path).contains(path));
    }

    // The view replaces (and frees) its document when a page loads, which can
    // happen while the preview is up: the preview draws what it was handed.
    void preview_drawsItsOwnCopy()
    {
        QtDialogs dialogs;
        auto *source = new QTextDocument;
        source->setHtml(scriptPage(5, 32));
        QList<int> pages; // at the start, after a change, after the deletion
        QTimer::singleShot(50, [&] {
            auto *preview = qobject_cast<QPrintPreviewDialog *>(QApplication::activeModalWidget());
            if (!preview)
                return;
            auto *widget = preview->findChild<QPrintPreviewWidget *>();
            for (int step = 0; step < 3; ++step) {
                if (step == 1)
                    source->setHtml(scriptPage(600, 32));
                if (step == 2)
                    delete std::exchange(source, nullptr);
                widget->updatePreview();
                pages.append(widget->pageCount());
            }
            preview->reject();
        });
        dialogs.printPreview(nullptr, source);
        delete source;
        QCOMPARE(pages, QList<int>({1, 1, 1}));
    }
};

QTEST_MAIN(PrintingTest)
#include "tst_printing.moc"
