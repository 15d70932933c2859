#include "prompterfixture.h"

#include "optionsdialog.h"
#include "prompttimer.h"
#include "queuefile.h"
#include "radiogroup.h"
#include "registrystore.h"

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
        p.form.guarded([&] { p.form.showOptions(); });
        p.settle();
    }

    static void select(OptionsDialog &f4, int row)
    {
        f4.queueList->setCurrentRow(row);
        f4.queueList->item(row)->setSelected(true);
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
        p.form.m_currentSpeed = 30;
        p.form.applySpeed();
        p.form.m_queuePosition = 5;
        p.form.m_scriptLines = {QStringLiteral("kept line")};
        options(p, QDialog::Accepted, [](OptionsDialog &f4) {
            f4.capitalsGroup->setItemIndex(1);
            f4.placementGroup->setItemIndex(1);
        });
        QCOMPARE(p.form.m_queuePosition, 5);
        QCOMPARE(p.form.m_scriptLines, QStringList{QStringLiteral("kept line")});
        QVERIFY(!p.form.scrollTimer->enabled());
        QCOMPARE(p.form.m_pageLines.at(29), QStringLiteral("KEPT LINE<br>"));
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        QCOMPARE(p.form.frameGeometry().bottom(), screen.bottom());
        QCOMPARE(QApplication::focusWidget(), p.form.page);
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
        QCOMPARE(p.form.m_queuePosition, loaded);
        QCOMPARE(p.form.m_scriptTitle, scripts.at(loaded));
        QCOMPARE(p.form.scriptLabel->text(), scripts.at(loaded));
        const QStringList expected =
            loaded == 3 ? QStringList{QStringLiteral("Rich"), QStringLiteral("text")}
                        : QStringList{QStringLiteral("Script %1").arg(loaded)};
        QCOMPARE(p.form.m_scriptLines, expected);
        QVERIFY(!p.form.scrollTimer->enabled());
    }

    void cancel_restoresTheExactQueueAndTouchesNothingElse()
    {
        Prompter p;
        options(p, QDialog::Accepted, [&](OptionsDialog &f4) {
            f4.setQueueItems(scripts);
            select(f4, 1);
        });
        p.form.m_currentSpeed = 40;
        p.form.applySpeed();
        const QStringList lines = p.form.m_scriptLines;
        const QString queueFile = write(QStringLiteral("other.tvx"), "/a\r\n/b\r\n");
        p.dialogs.openAnswers = {scripts.at(0), queueFile};
        options(p, QDialog::Rejected, [&](OptionsDialog &f4) {
            f4.addScript(); // add
            select(f4, 0);
            f4.removeScript(); // remove
            f4.loadQueue();    // load another queue
            QCOMPARE(f4.queueItems(), QStringList({QStringLiteral("/a"), QStringLiteral("/b")}));
            f4.capitalsGroup->setItemIndex(1);
            f4.placementGroup->setItemIndex(1);
        });
        OptionsDialog &f4 = *p.windows.options;
        QCOMPARE(f4.queueItems(), scripts);
        QCOMPARE(f4.selectedIndex(), -1);
        QCOMPARE(f4.capitalsGroup->itemIndex(), 0);
        QCOMPARE(f4.placementGroup->itemIndex(), 0);
        QCOMPARE(p.form.m_queuePosition, 1);
        QCOMPARE(p.form.m_scriptLines, lines);
        QVERIFY(p.form.scrollTimer->enabled());
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
                form.guarded([&] { form.addScript(); });
            QCOMPARE(form.queueItems(), QStringList({scripts.at(0), scripts.at(0)}));
            QCOMPARE(form.m_openState.filter,
                     QStringLiteral("Tavrix Readable|*.txt;*.rtf|All Files|*.*"));
        });
        QCOMPARE(p.dialogs.messages.size(), 1);
        QVERIFY(p.dialogs.messages.constFirst().startsWith(QStringLiteral("Cannot open file")));
        QVERIFY(f4.queueItems().isEmpty());
    }

    void saveQueue_emptyQueueSaysNothingToSave()
    {
        Prompter p;
        options(p, QDialog::Rejected, [](OptionsDialog &f4) { f4.saveQueue(); });
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
            f4.saveQueue();
            QCOMPARE(f4.m_saveState.defaultExt, QStringLiteral(".tvx"));
            QCOMPARE(f4.m_saveState.filter, QStringLiteral("Tavrix Scripts|*.tvx"));
            f4.setQueueItems({});
            f4.loadQueue();
            QCOMPARE(f4.queueItems(), items);
            QCOMPARE(f4.m_openState.filter, QStringLiteral("Tavrix Scripts|*.tvx"));
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
            f4.loadQueue();
            QCOMPARE(f4.queueItems(), items);
            QCOMPARE(f4.selectedIndex(), -1);
        });
    }

    void blankQueueItem_failsWithTheCannotOpenMessage()
    {
        Prompter p;
        p.form.m_scriptLines = {QStringLiteral("before")};
        options(p, QDialog::Accepted, [&](OptionsDialog &f4) {
            f4.setQueueItems({scripts.at(0), QString()});
            select(f4, 1);
        });
        QCOMPARE(p.form.m_queuePosition, 1);
        QCOMPARE(p.form.m_scriptLines, QStringList{QStringLiteral("before")});
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
        QCOMPARE(f.m_queuePosition, 0);
        f.nextQueueScript();
        f.nextQueueScript();
        QCOMPARE(f.m_queuePosition, 2);
        QCOMPARE(f.m_scriptLines, QStringList{QStringLiteral("Script 2")});
        QCOMPARE(f.scriptLabel->text(), scripts.at(2));
        QCOMPARE(f.m_pageLines.at(13),
                 QStringLiteral("<title>") + scripts.at(2) + QStringLiteral("</title>"));
        f.m_currentSpeed = 10;
        f.applySpeed();
        f.nextQueueScript();
        QCOMPARE(f.m_queuePosition, 2);
        QVERIFY(f.scrollTimer->enabled()); // nothing happened
        for (int i = 0; i < 3; ++i)
            f.previousQueueScript();
        QCOMPARE(f.m_queuePosition, 0);
        QCOMPARE(f.m_scriptLines, QStringList{QStringLiteral("Script 0")});
        QVERIFY(!f.scrollTimer->enabled());
        QCOMPARE(p.windows.options->selectedIndex(), -1);
    }

    void steppingOntoAMissingFile_keepsTheOldScriptWithThePositionMoved()
    {
        Prompter p;
        const QString missing = dir.filePath(QStringLiteral("gone.txt"));
        options(p, QDialog::Accepted, [&](OptionsDialog &f4) {
            f4.setQueueItems({scripts.at(0), missing, scripts.at(2)});
        });
        PrompterWindow &f = p.form;
        f.m_currentSpeed = 20;
        f.applySpeed();
        f.guarded([&] { f.nextQueueScript(); });
        QCOMPARE(f.m_queuePosition, 1);
        QCOMPARE(f.m_scriptLines, QStringList{QStringLiteral("Script 0")});
        QCOMPARE(f.scriptLabel->text(), scripts.at(0));
        QVERIFY(f.scrollTimer->enabled());
        QCOMPARE(
            p.dialogs.messages,
            QStringList{
                QStringLiteral("Cannot open file \"%1\". No such file or directory").arg(missing)});
        f.nextQueueScript();
        QCOMPARE(f.m_queuePosition, 2);
        QCOMPARE(f.m_scriptLines, QStringList{QStringLiteral("Script 2")});
    }

    void steppingOntoADirectoryOrFifo_neverHangs()
    {
        Prompter p;
        const QString folder = dir.filePath(QStringLiteral("a-folder"));
        QVERIFY(QDir().mkpath(folder));
        const QString fifo = dir.filePath(QStringLiteral("a-fifo"));
        QFile::remove(fifo);
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        options(p, QDialog::Accepted, [&](OptionsDialog &f4) {
            f4.setQueueItems({scripts.at(0), folder, fifo});
        });
        p.form.guarded([&] { p.form.nextQueueScript(); });
        p.form.guarded([&] { p.form.nextQueueScript(); });
        QCOMPARE(p.form.m_queuePosition, 2);
        QCOMPARE(p.dialogs.messages.size(), 2);
        QCOMPARE(p.form.m_scriptLines, QStringList{QStringLiteral("Script 0")});
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
