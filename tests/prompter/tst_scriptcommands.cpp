#include "childprocess.h"
#include "prompterfixture.h"

#include "scrollclock.h"
#include "texts.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QMimeData>
#include <QSlider>
#include <QTemporaryDir>
#include <QUrl>

#include <sys/stat.h>
#include <unistd.h>

// Opening a single script through the menu command.
class ScriptCommandsTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;

    QString write(const QString &name, const QByteArray &bytes)
    {
        return writeTestFile(dir, name, bytes);
    }

    struct Snapshot
    {
        QStringList lines;
        QString title;
        QString label;
        QStringList page;
        bool running;
        QWidget *focus;
    };

    static bool running(PrompterWindow &f)
    {
        return widget<ScrollClock>(f, "scrollTimer")->enabled();
    }

    static Snapshot snapshot(PrompterWindow &f)
    {
        return {f.scriptLines(), f.scriptTitle(), labelText(f, "scriptLabel"),
                f.pageLines(),   running(f),      QApplication::focusWidget()};
    }

    static void unchanged(PrompterWindow &f, const Snapshot &s)
    {
        QCOMPARE(f.scriptLines(), s.lines);
        QCOMPARE(f.scriptTitle(), s.title);
        QCOMPARE(labelText(f, "scriptLabel"), s.label);
        QCOMPARE(f.pageLines(), s.page);
        QCOMPARE(running(f), s.running);
        QCOMPARE(QApplication::focusWidget(), s.focus);
    }

    // The Open command as the operator gives it from the menu.
    static void open(Prompter &p) { widget<QAction>(p.form, "openAction")->trigger(); }

    // A prompter running a first script, with the focus away from the page.
    void prepare(Prompter &p)
    {
        const QString first = write(QStringLiteral("first.txt"), "First script\n");
        p.dialogs.openAnswers.push_back(first);
        p.form.openSingleScript();
        p.settle();
        setSpeed(p.form, 20);
        auto *slider = widget<QSlider>(p.form, "speedSlider");
        slider->setFocus();
        QCOMPARE(QApplication::focusWidget(), slider);
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(dir.isValid()); }

    void cancel_changesNothing()
    {
        Prompter p;
        prepare(p);
        const Snapshot before = snapshot(p.form);
        p.dialogs.openAnswers.push_back(std::nullopt);
        p.form.openSingleScript();
        unchanged(p.form, before);
        QCOMPARE(p.dialogs.openStates.constLast().filter,
                 QStringLiteral("Tavrix Readable|*.txt;*.rtf|All Files|*.*"));
    }

    void open_showsTheScriptPausedAtTheTop_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("text") << "news.txt" << QByteArray("Good evening.\r\nHere is the news.\r\n")
                              << QStringList{"Good evening.", "Here is the news."};
        QTest::newRow("rtf, upper-case extension")
            << "news.RTF" << QByteArray("{\\rtf1\\ansi\\ansicpg1252 Caf\\'e9\\par Two\\par }")
            << QStringList{QStringLiteral("Café"), "Two"};
        QTest::newRow("plain text under an rtf name")
            << "plain.rtf" << QByteArray("not rich\nat all\n") << QStringList{"not rich", "at all"};
        QTest::newRow("no extension") << "talk" << QByteArray("a\nb") << QStringList{"a", "b"};
        QTest::newRow("empty file") << "empty.txt" << QByteArray() << QStringList();
        QTest::newRow("windows-1252") << "old.txt" << QByteArray("Caf\xe9 \x80 3\r\n")
                                      << QStringList{QStringLiteral("Café € 3")};
        QTest::newRow("markdown") << "news.md" << QByteArray("# News\n\nGood *evening*.\n")
                                  << QStringList{"News", "Good evening."};
    }

    // Scripts that arrive by the clipboard or a drop: "paste:" puts text on the
    // clipboard ("html:" HTML alone, "image" a picture alone, "empty" nothing);
    // "drop:" drops files of this folder, or the URL after "url:". `lines` is
    // what the band then shows, `queue` the queue; `message` the one message.
    void importedScripts_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("queue");
        QTest::addColumn<QString>("message");
        const QStringList first{"First script"};
        QTest::newRow("pasted text")
            << "paste:Good evening.\nThe <b>news</b>."
            << QStringList{"Good evening.", "The <b>news</b>."} << "Pasted text" << 0 << QString();
        QTest::newRow("HTML alone is read as its text")
            << "html:<p>One <script>x()</script><b>two</b></p>" << QStringList{"One two"}
            << "Pasted text" << 0 << QString();
        QTest::newRow("empty clipboard") << "empty" << first << "first.txt" << 0
                                         << QStringLiteral("The clipboard holds no text to show.");
        QTest::newRow("a picture alone") << "image" << first << "first.txt" << 0
                                         << QStringLiteral("The clipboard holds no text to show.");
        QTest::newRow("one file dropped")
            << "drop:b.txt" << QStringList{"Bee"} << "b.txt" << 0 << QString();
        QTest::newRow("several dropped: the queue, in order")
            << "drop:b.txt drop:a.md" << QStringList{"Bee"} << "b.txt" << 2 << QString();
        QTest::newRow("a folder dropped")
            << "drop:folder" << first << "first.txt" << 0 << QStringLiteral("Is a directory");
        QTest::newRow("a web address dropped")
            << "url:https://example.invalid/a.txt" << first << "first.txt" << 0
            << QStringLiteral("Only files on this computer can be opened: "
                              "https://example.invalid/a.txt");
    }

    void importedScripts()
    {
        QFETCH(QString, action);
        QFETCH(QStringList, lines);
        QFETCH(QString, title);
        QFETCH(int, queue);
        QFETCH(QString, message);
        Prompter p;
        prepare(p);
        write(QStringLiteral("b.txt"), "Bee\n");
        write(QStringLiteral("a.md"), "# A\n");
        QDir(dir.path()).mkpath(QStringLiteral("folder"));
        auto *clipboard = QGuiApplication::clipboard();
        if (action.startsWith(u"paste:") || action.startsWith(u"html:") || action == u"empty" ||
            action == u"image") {
            auto *data = new QMimeData;
            if (action.startsWith(u"paste:"))
                data->setText(action.section(u':', 1));
            else if (action.startsWith(u"html:"))
                data->setHtml(action.section(u':', 1));
            else if (action == u"image")
                data->setImageData(QImage(4, 4, QImage::Format_RGB32));
            clipboard->setMimeData(data);
            widget<QAction>(p.form, "pasteAction")->trigger();
        } else {
            QList<QUrl> urls;
            for (const QString &item : action.split(u' ')) {
                urls.append(item.startsWith(u"url:")
                                ? QUrl(item.mid(4))
                                : QUrl::fromLocalFile(dir.filePath(item.mid(5))));
            }
            QMimeData data;
            data.setUrls(urls);
            QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton,
                                  Qt::NoModifier);
            QApplication::sendEvent(&p.form, &enter);
            QVERIFY(enter.isAccepted());
            QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(&p.form, &drop);
        }
        QCOMPARE(p.form.scriptLines(), lines);
        QVERIFY2(p.form.scriptTitle().endsWith(title), qPrintable(p.form.scriptTitle()));
        QCOMPARE(p.dialogs.messages.size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty())
            QVERIFY2(p.dialogs.messages.constFirst().endsWith(message),
                     qPrintable(p.dialogs.messages.constFirst()));
        if (queue > 0) {
            p.form.nextQueueScript();
            QCOMPARE(p.form.scriptLines(), QStringList{"A"});
        }
        // A new script shows paused; a refused one leaves the band running as it was.
        QCOMPARE(running(p.form), !message.isEmpty());
    }

    void open_showsTheScriptPausedAtTheTop()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        Prompter p;
        prepare(p);
        const QString path = write(name, bytes);
        page(p.form)->scrollTo(0, 5);
        p.dialogs.openAnswers.push_back(path);
        p.form.openSingleScript();
        QCOMPARE(p.form.scriptLines(), lines);
        QCOMPARE(p.form.scriptTitle(), path);
        QCOMPARE(labelText(p.form, "scriptLabel"), path);
        QCOMPARE(p.form.pageLines().at(13),
                 QStringLiteral("<title>") + path + QStringLiteral("</title>"));
        QCOMPARE(p.form.pageLines().size(), 41 + lines.size());
        QVERIFY(!running(p.form));
        QCOMPARE(labelText(p.form, "speedLabel"), QStringLiteral("Paused..."));
        QCOMPARE(QApplication::focusWidget(), page(p.form));
        p.settle();
        QCOMPARE(page(p.form)->scrollPosition(), 0);
        QCOMPARE(p.form.currentSpeed(), 20);
        QVERIFY(p.dialogs.messages.isEmpty());
        // The window keeps the chosen file: the next open dialog starts there.
        p.dialogs.openAnswers.push_back(std::nullopt);
        p.form.openSingleScript();
        QCOMPARE(p.dialogs.openStates.constLast().fileName, path);
    }

    void openingTheSamePathAgain_readsTheFileAgain()
    {
        Prompter p;
        const QString path = write(QStringLiteral("again.txt"), "old\n");
        p.dialogs.openAnswers.push_back(path);
        p.form.openSingleScript();
        write(QStringLiteral("again.txt"), "new\n");
        p.dialogs.openAnswers.push_back(path);
        p.form.openSingleScript();
        QCOMPARE(p.form.scriptLines(), QStringList{QStringLiteral("new")});
    }

    void failures_reportAndKeepTheEarlierScript_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing") << "missing"
                                 << "No such file or directory";
        QTest::newRow("directory") << "directory"
                                   << "Is a directory";
        QTest::newRow("fifo") << "fifo"
                              << "";
        QTest::newRow("unreadable") << "unreadable"
                                    << "Permission denied";
    }

    void failures_reportAndKeepTheEarlierScript()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        Prompter p;
        prepare(p);
        QString path;
        if (kind == QLatin1String("missing")) {
            path = dir.filePath(QStringLiteral("nowhere/none.txt"));
        } else if (kind == QLatin1String("directory")) {
            path = dir.filePath(QStringLiteral("folder.txt"));
            QVERIFY(QDir().mkpath(path));
        } else if (kind == QLatin1String("fifo")) {
            path = dir.filePath(QStringLiteral("pipe.txt"));
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        } else {
            // Root reads any file: the command runs in a child that gave up root.
            const auto shared = makeSharedTemporaryDir();
            path = writeTestFile(*shared, QStringLiteral("locked.txt"), "secret\n");
            QVERIFY(QFile::setPermissions(path, QFileDevice::Permissions()));
            const Snapshot before = snapshot(p.form);
            const ChildOutcome outcome = runInChild(ChildUser::Unprivileged, [&] {
                p.dialogs.openAnswers.push_back(path);
                open(p);
                const Snapshot after = snapshot(p.form);
                const bool same = after.lines == before.lines && after.title == before.title &&
                                  after.label == before.label && after.page == before.page &&
                                  after.running == before.running;
                return (QString::fromLatin1(same ? "unchanged" : "changed") + u'\n' +
                        p.dialogs.messages.join(u'\n'))
                    .toUtf8();
            });
            QVERIFY_CHILD(outcome);
            const QStringList result = QString::fromUtf8(outcome.result).split(u'\n');
            QCOMPARE(result.value(0), QStringLiteral("unchanged"));
            QCOMPARE(result.size(), 2);
            QCOMPARE(result.value(1),
                     QStringLiteral("Cannot open file \"%1\". %2").arg(path, reason));
            return;
        }
        const Snapshot before = snapshot(p.form);
        p.dialogs.openAnswers.push_back(path);
        open(p);
        unchanged(p.form, before);
        QCOMPARE(p.dialogs.messages.size(), 1);
        const QString prefix = QStringLiteral("Cannot open file \"%1\". ").arg(path);
        QVERIFY2(p.dialogs.messages.constFirst().startsWith(prefix),
                 qPrintable(p.dialogs.messages.constFirst()));
        if (!reason.isEmpty())
            QCOMPARE(p.dialogs.messages.constFirst(), prefix + reason);
        else
            QVERIFY(p.dialogs.messages.constFirst().size() > prefix.size());
    }

    void tooLargeAScript_isRefusedWithAReason_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("1 GB file") << "bytes"
                                   << "too large";
        QTest::newRow("too many lines") << "lines"
                                        << "100,001 lines; the limit is 100,000";
        QTest::newRow("too many characters") << "characters"
                                             << "characters; the limit is 8,000,000";
    }

    void tooLargeAScript_isRefusedWithAReason()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        Prompter p;
        prepare(p);
        const QString path = dir.filePath(QStringLiteral("huge.txt"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        if (kind == QLatin1String("bytes"))
            QVERIFY(file.resize(qint64(1) << 30));
        else if (kind == QLatin1String("lines"))
            file.write(QByteArray("x\n").repeated(100001));
        else
            file.write(QByteArray(8000001, 'x'));
        file.close();
        const Snapshot before = snapshot(p.form);
        p.dialogs.openAnswers.push_back(path);
        open(p);
        unchanged(p.form, before);
        QCOMPARE(p.dialogs.messages.size(), 1);
        QVERIFY(p.dialogs.messages.constFirst().startsWith(
            QStringLiteral("Cannot open file \"%1\". ").arg(path)));
        QVERIFY2(p.dialogs.messages.constFirst().contains(reason),
                 qPrintable(p.dialogs.messages.constFirst()));
        QFile::remove(path);
    }
};

QTEST_MAIN(ScriptCommandsTest)
#include "tst_scriptcommands.moc"
