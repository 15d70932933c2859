#include "prompterfixture.h"

#include "optionsdialog.h"
#include "queuefile.h"
#include "radiogroup.h"
#include "registrystore.h"
#include "scrollclock.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QScreen>
#include <QTemporaryDir>

#include <sys/stat.h>

// The options and queue window, its queue files, and stepping through the queue.
class QueueTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;
    QStringList scripts; // three text scripts and one rich text script

    QString write(const QString &name, const QByteArray &bytes)
    {
        return writeTestFile(dir, name, bytes);
    }

    static QByteArray read(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // Runs the options window, letting `drive` work it before it closes with `result`.
    static void options(Prompter &p, int result,
                        const std::function<void(OptionsDialog &)> &drive = {})
    {
        p.dialogs.modal = [result, drive](QDialog *dialog) {
            if (drive)
                drive(*static_cast<OptionsDialog *>(dialog));
            return result;
        };
        widget<QAction>(p.form, "optionsAction")->trigger();
        p.settle();
    }

    static void select(OptionsDialog &f4, int row)
    {
        auto *queueList = widget<QListWidget>(f4, "queueList");
        queueList->setCurrentRow(row);
        queueList->item(row)->setSelected(true);
    }

    // Clicks one of the queue's icons or labels, as the operator does.
    static void click(OptionsDialog &f4, const char *name)
    {
        QTest::mouseClick(widget<QWidget>(f4, name), Qt::LeftButton);
    }

    static void choose(OptionsDialog &f4, const char *group, int index)
    {
        widget<RadioGroup>(f4, group)->setItemIndex(index);
    }

    static bool running(PrompterWindow &f)
    {
        return widget<ScrollClock>(f, "scrollTimer")->enabled();
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        for (int i = 0; i < 3; ++i)
            scripts.append(write(QStringLiteral("script%1.txt").arg(i),
                                 QStringLiteral("Script %1\r\n").arg(i).toUtf8()));
        scripts.append(write(QStringLiteral("rich.rtf"), "{\\rtf1\\ansi Rich\\par text\\par }"));
    }

    void okWithEmptyQueue_loadsNothingButPausesAndAppliesOptions()
    {
        Prompter p;
        // At the sixth item of a queue, with the script edited since.
        options(p, QDialog::Accepted, [&](OptionsDialog &f4) {
            f4.setQueueItems(scripts + scripts.mid(0, 2));
            select(f4, 5);
        });
        QCOMPARE(p.form.queuePosition(), 5);
        p.form.showEditedScript({QStringLiteral("kept line")});
        setSpeed(p.form, 30);
        options(p, QDialog::Accepted, [](OptionsDialog &f4) {
            f4.setQueueItems({});
            choose(f4, "capitalsGroup", 1);
            choose(f4, "placementGroup", 1);
        });
        QCOMPARE(p.form.queuePosition(), 5);
        QCOMPARE(p.form.scriptLines(), QStringList{QStringLiteral("kept line")});
        QVERIFY(!running(p.form));
        QCOMPARE(p.form.pageLines().at(29), QStringLiteral("KEPT LINE<br>"));
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        QCOMPARE(p.form.frameGeometry().bottom(), screen.bottom());
        QCOMPARE(QApplication::focusWidget(), page(p.form));
    }

    void ok_loadsTheSelectedOrFirstItem_data()
    {
        QTest::addColumn<int>("selected");
        QTest::addColumn<int>("loaded");
        QTest::newRow("no selection") << -1 << 0;
        QTest::newRow("item 2") << 2 << 2;
        QTest::newRow("rich text item") << 3 << 3;
    }

    void ok_loadsTheSelectedOrFirstItem()
    {
        QFETCH(int, selected);
        QFETCH(int, loaded);
        Prompter p;
        options(p, QDialog::Accepted, [&](OptionsDialog &f4) {
            f4.setQueueItems(scripts);
            if (selected >= 0)
                select(f4, selected);
        });
        QCOMPARE(p.form.queuePosition(), loaded);
        QCOMPARE(p.form.scriptTitle(), scripts.at(loaded));
        QCOMPARE(labelText(p.form, "scriptLabel"), scripts.at(loaded));
        const QStringList expected =
            loaded == 3 ? QStringList{QStringLiteral("Rich"), QStringLiteral("text")}
                        : QStringList{QStringLiteral("Script %1").arg(loaded)};
        QCOMPARE(p.form.scriptLines(), expected);
        QVERIFY(!running(p.form));
    }

    void cancel_restoresTheExactQueueAndTouchesNothingElse()
    {
        Prompter p;
        options(p, QDialog::Accepted, [&](OptionsDialog &f4) {
            f4.setQueueItems(scripts);
            select(f4, 1);
        });
        setSpeed(p.form, 40);
        const QStringList lines = p.form.scriptLines();
        const QString queueFile = write(QStringLiteral("other.tvx"), "/a\r\n/b\r\n");
        p.dialogs.openAnswers = {scripts.at(0), queueFile};
        options(p, QDialog::Rejected, [&](OptionsDialog &f4) {
            click(f4, "addIcon");
            select(f4, 0);
            click(f4, "removeIcon");
            click(f4, "loadIcon"); // another queue
            QCOMPARE(f4.queueItems(), QStringList({QStringLiteral("/a"), QStringLiteral("/b")}));
            choose(f4, "capitalsGroup", 1);
            choose(f4, "placementGroup", 1);
        });
        QVERIFY(p.dialogs.messages.isEmpty());
        OptionsDialog &f4 = *p.windows.options;
        QCOMPARE(f4.queueItems(), scripts);
        QCOMPARE(f4.selectedIndex(), -1);
        QCOMPARE(f4.capitalsIndex(), 0);
        QCOMPARE(f4.placementIndex(), 0);
        QCOMPARE(p.form.queuePosition(), 1);
        QCOMPARE(p.form.scriptLines(), lines);
        QVERIFY(running(p.form));
        // The store keeps the options the operator had, not the cancelled ones.
        RegistryStore store(QStringLiteral("Software\\Morvane\\tavrix"));
        QCOMPARE(store.readInteger(QStringLiteral("Form4\\allcaps_ItemIndex"), -7), 0);
        QCOMPARE(store.readInteger(QStringLiteral("Form4\\mainformlocation_ItemIndex"), -7), 0);
    }

    void addScript_checksTheFileAndAllowsDuplicates()
    {
        Prompter p;
        OptionsDialog &f4 = *p.windows.options;
        p.dialogs.openAnswers = {scripts.at(0), scripts.at(0),
                                 dir.filePath(QStringLiteral("no.txt")), std::nullopt};
        options(p, QDialog::Rejected, [&](OptionsDialog &form) {
            for (int i = 0; i < 4; ++i)
                click(form, i % 2 ? "addLabel" : "addIcon");
            QCOMPARE(form.queueItems(), QStringList({scripts.at(0), scripts.at(0)}));
            QCOMPARE(p.dialogs.openStates.constLast().filter,
                     QStringLiteral("Tavrix Readable|*.txt;*.rtf|All Files|*.*"));
        });
        QCOMPARE(p.dialogs.messages.size(), 1);
        QVERIFY(p.dialogs.messages.constFirst().startsWith(QStringLiteral("Cannot open file")));
        QVERIFY(f4.queueItems().isEmpty());
    }

    void saveQueue_emptyQueueSaysNothingToSave()
    {
        Prompter p;
        options(p, QDialog::Rejected, [](OptionsDialog &f4) { click(f4, "saveIcon"); });
        QCOMPARE(p.dialogs.messages, QStringList{QStringLiteral("Nothing to save.")});
        QCOMPARE(p.dialogs.saveCalls, 0);
    }

    void saveThenLoad_givesTheSameItems()
    {
        Prompter p;
        const QStringList items = {QStringLiteral("/home/zoë/Сценарий 1.txt"), scripts.at(0),
                                   QStringLiteral("C:\\Scripts\\news.rtf"), scripts.at(0)};
        const QString file = dir.filePath(QStringLiteral("queue"));
        p.dialogs.saveAnswers = {file + QStringLiteral(".tvx")};
        p.dialogs.openAnswers = {file + QStringLiteral(".tvx")};
        options(p, QDialog::Rejected, [&](OptionsDialog &f4) {
            f4.setQueueItems(items);
            click(f4, "saveLabel");
            QCOMPARE(p.dialogs.saveStates.constLast().defaultExt, QStringLiteral(".tvx"));
            QCOMPARE(p.dialogs.saveStates.constLast().filter,
                     QStringLiteral("Tavrix Scripts|*.tvx"));
            f4.setQueueItems({});
            click(f4, "loadLabel");
            QCOMPARE(f4.queueItems(), items);
            QCOMPARE(p.dialogs.openStates.constLast().filter,
                     QStringLiteral("Tavrix Scripts|*.tvx"));
        });
        QCOMPARE(read(file + QStringLiteral(".tvx")),
                 items.join(QStringLiteral("\r\n")).toUtf8() + "\r\n");
        QVERIFY(p.dialogs.messages.isEmpty());
    }

    void loadQueue_handEditedFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("blank lines")
            << QByteArray("/a\n\n  /b \r\n\r\n") << QStringList{"/a", "", "  /b ", ""};
        QTest::newRow("utf-8 mark") << QByteArray("\xEF\xBB\xBF/caf\xC3\xA9.txt\r\n")
                                    << QStringList{QStringLiteral("/café.txt")};
        QTest::newRow("windows-1252")
            << QByteArray("C:\\caf\xE9.txt\r\nC:\\\x80.txt\r\n")
            << QStringList{QStringLiteral("C:\\café.txt"), QStringLiteral("C:\\€.txt")};
    }

    void loadQueue_handEditedFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, items);
        Prompter p;
        p.dialogs.openAnswers = {write(QStringLiteral("hand.tvx"), bytes)};
        options(p, QDialog::Rejected, [&](OptionsDialog &f4) {
            click(f4, "loadIcon");
            QCOMPARE(f4.queueItems(), items);
            QCOMPARE(f4.selectedIndex(), -1);
        });
        QVERIFY(p.dialogs.messages.isEmpty());
    }

    void blankQueueItem_failsWithTheCannotOpenMessage()
    {
        Prompter p;
        p.form.showEditedScript({QStringLiteral("before")});
        options(p, QDialog::Accepted, [&](OptionsDialog &f4) {
            f4.setQueueItems({scripts.at(0), QString()});
            select(f4, 1);
        });
        QCOMPARE(p.form.queuePosition(), 1);
        QCOMPARE(p.form.scriptLines(), QStringList{QStringLiteral("before")});
        QCOMPARE(p.dialogs.messages.size(), 1);
        QVERIFY(
            p.dialogs.messages.constFirst().startsWith(QStringLiteral("Cannot open file \"\". ")));
    }

    void stepping_movesWithoutWrapAndLeavesTheSelection()
    {
        Prompter p;
        options(p, QDialog::Accepted,
                [&](OptionsDialog &f4) { f4.setQueueItems(scripts.mid(0, 3)); });
        PrompterWindow &f = p.form;
        QCOMPARE(f.queuePosition(), 0);
        f.nextQueueScript();
        f.nextQueueScript();
        QCOMPARE(f.queuePosition(), 2);
        QCOMPARE(f.scriptLines(), QStringList{QStringLiteral("Script 2")});
        QCOMPARE(labelText(f, "scriptLabel"), scripts.at(2));
        QCOMPARE(f.pageLines().at(13),
                 QStringLiteral("<title>") + scripts.at(2) + QStringLiteral("</title>"));
        setSpeed(f, 10);
        f.nextQueueScript();
        QCOMPARE(f.queuePosition(), 2);
        QVERIFY(running(f)); // nothing happened
        for (int i = 0; i < 3; ++i)
            f.previousQueueScript();
        QCOMPARE(f.queuePosition(), 0);
        QCOMPARE(f.scriptLines(), QStringList{QStringLiteral("Script 0")});
        QVERIFY(!running(f));
        QCOMPARE(p.windows.options->selectedIndex(), -1);
    }

    void removeScript_removesOnlyTheSelectedItem()
    {
        Prompter p;
        options(p, QDialog::Rejected, [&](OptionsDialog &f4) {
            f4.setQueueItems(scripts);
            select(f4, 1);
            for (int i = 0; i < 3; ++i)
                click(f4, "removeIcon");
            QTest::mouseDClick(widget<QWidget>(f4, "removeLabel"), Qt::LeftButton);
            QCOMPARE(f4.queueItems(), QStringList({scripts.at(0), scripts.at(2), scripts.at(3)}));
            QCOMPARE(f4.selectedIndex(), -1);
        });
    }

    void positionBeyondAReplacedQueue_stepsFromItsEnd()
    {
        Prompter p;
        options(p, QDialog::Accepted, [&](OptionsDialog &f4) {
            f4.setQueueItems(scripts);
            select(f4, 3);
        });
        QCOMPARE(p.form.queuePosition(), 3);
        // The queue replaced behind the prompter's back, shorter than its position.
        p.windows.options->setQueueItems({scripts.at(0), scripts.at(1)});
        QCOMPARE(p.form.queuePosition(), 3);
        p.form.nextQueueScript();
        QCOMPARE(p.form.queuePosition(), 3);
        p.form.previousQueueScript();
        QCOMPARE(p.form.queuePosition(), 1);
        QCOMPARE(p.form.scriptTitle(), scripts.at(1));
    }

    void steppingOntoAMissingFile_keepsTheOldScriptWithThePositionMoved()
    {
        Prompter p;
        const QString missing = dir.filePath(QStringLiteral("gone.txt"));
        options(p, QDialog::Accepted, [&](OptionsDialog &f4) {
            f4.setQueueItems({scripts.at(0), missing, scripts.at(2)});
        });
        PrompterWindow &f = p.form;
        setSpeed(f, 20);
        pressKey(f, Qt::Key_D); // the next script, as the operator steps
        QCOMPARE(f.queuePosition(), 1);
        QCOMPARE(f.scriptLines(), QStringList{QStringLiteral("Script 0")});
        QCOMPARE(labelText(f, "scriptLabel"), scripts.at(0));
        QVERIFY(running(f));
        QCOMPARE(
            p.dialogs.messages,
            QStringList{
                QStringLiteral("Cannot open file \"%1\". No such file or directory").arg(missing)});
        f.nextQueueScript();
        QCOMPARE(f.queuePosition(), 2);
        QCOMPARE(f.scriptLines(), QStringList{QStringLiteral("Script 2")});
    }

    void steppingOntoADirectoryOrFifo_neverHangs()
    {
        Prompter p;
        const QString folder = dir.filePath(QStringLiteral("a-folder"));
        QVERIFY(QDir().mkpath(folder));
        const QString fifo = dir.filePath(QStringLiteral("a-fifo"));
        QFile::remove(fifo);
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        const auto fill = [&](OptionsDialog &f4) {
            f4.setQueueItems({scripts.at(0), folder, fifo});
        };
        options(p, QDialog::Accepted, fill);
        pressKey(p.form, Qt::Key_D);
        pressKey(p.form, Qt::Key_D);
        QCOMPARE(p.form.queuePosition(), 2);
        QCOMPARE(p.dialogs.messages.size(), 2);
        QCOMPARE(p.form.scriptLines(), QStringList{QStringLiteral("Script 0")});
    }

    void closingTheMainWindow_emptiesTheQueue()
    {
        Prompter p;
        options(p, QDialog::Accepted, [&](OptionsDialog &f4) { f4.setQueueItems(scripts); });
        p.form.close();
        QVERIFY(p.windows.options->queueItems().isEmpty());
    }
};

QTEST_MAIN(QueueTest)
#include "tst_queue.moc"
