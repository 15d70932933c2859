#include "recoveredtext.h"
#include "tavrixerror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

const QDateTime stopped(QDate(2026, 12, 10), QTime(4, 40, 40));

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(file.errorString()));
    QCOMPARE(file.write(bytes), bytes.size());
}

QList<RecoveredTextFolder> foldersIn(const QTemporaryDir &dir)
{
    return {{dir.filePath(u"data/tavrix/recovered"_s), false},
            {dir.filePath(u"config/tavrix/recovered"_s), false},
            {dir.filePath(u"home/tavrix-recovered"_s), false},
            {dir.filePath(u"tmp/tavrix-recovered-1000"_s), true}};
}

} // namespace

class RecoveredTextTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void keep_data()
    {
        QTest::addColumn<QString>("script");
        // Folders (by index) replaced by a plain file, so that nothing can go there.
        QTest::addColumn<QList<int>>("blocked");
        QTest::addColumn<int>("copies");
        QTest::addColumn<int>("folder"); // where the copies go; -1: nowhere
        QTest::addColumn<QString>("stem");

        const QString news = u"新闻稿"_s.repeated(27);
        QTest::newRow("plain") << u"/s/talk.txt"_s << QList<int>() << 1 << 0 << u"talk"_s;
        QTest::newRow("two stopped in the same second")
            << u"/s/talk.txt"_s << QList<int>() << 2 << 0 << u"talk"_s;
        // 248 bytes: a legal name, too long with the date added.
        QTest::newRow("Chinese name over the limit")
            << u"/s/"_s + news + u".txt"_s << QList<int>() << 1 << 0 << news.left(75);
        QTest::newRow("ASCII name over the limit") << u"/s/"_s + QString(240, u'a') + u".txt"_s
                                                   << QList<int>() << 1 << 0 << QString(226, u'a');
        QTest::newRow("four-byte characters over the limit")
            << u"/s/"_s + u"😀"_s.repeated(62) + u".txt"_s << QList<int>() << 1 << 0
            << u"😀"_s.repeated(56);
        QTest::newRow("line break in the name")
            << u"/s/news\nflash.txt"_s << QList<int>() << 2 << 0 << u"news\nflash"_s;
        QTest::newRow("data folder is a file")
            << u"/s/talk.txt"_s << QList<int>{0} << 1 << 1 << u"talk"_s;
        QTest::newRow("then the home folder")
            << u"/s/talk.txt"_s << QList<int>{0, 1} << 1 << 2 << u"talk"_s;
        QTest::newRow("then the temporary folder")
            << u"/s/talk.txt"_s << QList<int>{0, 1, 2} << 2 << 3 << u"talk"_s;
        QTest::newRow("nowhere") << u"/s/talk.txt"_s << QList<int>{0, 1, 2, 3} << 1 << -1
                                 << u"talk"_s;
    }

    void keep()
    {
        QFETCH(QString, script);
        QFETCH(QList<int>, blocked);
        QFETCH(int, copies);
        QFETCH(int, folder);
        QFETCH(QString, stem);
        QTemporaryDir dir;
        const QList<RecoveredTextFolder> folders = foldersIn(dir);
        for (int i : blocked)
            writeFile(QFileInfo(folders[i].path).absolutePath(), "not a folder");
        if (!blocked.contains(3)) // the system's temporary folder is always there
            QVERIFY(QDir().mkpath(QFileInfo(folders[3].path).absolutePath()));

        QStringList kept;
        for (int i = 0; i < copies; ++i) {
            const QString text = u"text %1\nline two"_s.arg(i);
            if (folder < 0) {
                QVERIFY_THROWS_EXCEPTION(TavrixError,
                                         keepRecoveredText(folders, script, stopped, text));
                QVERIFY(takeRecoveredTextNotes(folders).isEmpty());
                return;
            }
            const QString path = keepRecoveredText(folders, script, stopped, text);
            QCOMPARE(QFileInfo(path).absolutePath(), folders[folder].path);
            const QString name = QFileInfo(path).fileName();
            QVERIFY2(name.toUtf8().size() <= 255 - 7, qPrintable(name));
            const QString suffix = i == 0 ? u".txt"_s : u"-%1.txt"_s.arg(i + 1);
            QCOMPARE(name, stem + u"-2026-12-10-044040"_s + suffix);
            QCOMPARE(readFile(path), text.toUtf8().replace("\n", "\r\n"));
            kept.append(path);
        }
        QCOMPARE(takeRecoveredTextNotes(folders), kept);
        QVERIFY(takeRecoveredTextNotes(folders).isEmpty());
        if (folders[folder].shared)
            QCOMPARE(QFileInfo(folders[folder].path).permissions().toInt() & 0x0077, 0);
    }

    void sharedFolderOpenToOthers_isNotUsed()
    {
        QTemporaryDir dir;
        QList<RecoveredTextFolder> folders = foldersIn(dir);
        const RecoveredTextFolder shared = folders.takeLast();
        QVERIFY(QDir().mkpath(shared.path));
        QVERIFY(::chmod(QFile::encodeName(shared.path).constData(), 0777) == 0);
        writeFile(shared.path + u"/.unannounced"_s, "/etc/passwd\n");
        QVERIFY_THROWS_EXCEPTION(TavrixError,
                                 keepRecoveredText({shared}, u"talk.txt"_s, stopped, u"x"_s));
        QVERIFY(takeRecoveredTextNotes({shared}).isEmpty());
        QVERIFY(QDir(shared.path).entryList(QDir::Files).isEmpty());
    }

    void notes_data()
    {
        QTest::addColumn<QByteArray>("note");
        QTest::addColumn<QStringList>("paths");
        QTest::newRow("written before: bare paths")
            << QByteArray("/d/a-1.txt\n/d/\"b\"-2.txt\n")
            << QStringList{u"/d/a-1.txt"_s, u"/d/\"b\"-2.txt"_s};
        QTest::newRow("escaped") << QByteArray("\"/d/news\\nflash\\\\x\\r.txt\"\n")
                                 << QStringList{u"/d/news\nflash\\x\r.txt"_s};
        QTest::newRow("empty") << QByteArray() << QStringList();
    }

    void notes()
    {
        QFETCH(QByteArray, note);
        QFETCH(QStringList, paths);
        QTemporaryDir dir;
        const RecoveredTextFolder folder{dir.filePath(u"recovered"_s), false};
        writeFile(folder.path + u"/.unannounced"_s, note);
        QCOMPARE(takeRecoveredTextNotes({folder}), paths);
        QVERIFY(!QFileInfo::exists(folder.path + u"/.unannounced"_s));
    }

    void recoveredFileName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("attempt");
        QTest::addColumn<int>("maxBytes");
        QTest::addColumn<QString>("expected");
        // The date part and ".txt" take 22 bytes, "-2" two more.
        QTest::newRow("fits") << u"talk"_s << 1 << 255 << u"talk-2026-12-10-044040.txt"_s;
        QTest::newRow("second try") << u"talk"_s << 2 << 255 << u"talk-2026-12-10-044040-2.txt"_s;
        QTest::newRow("cut to the byte") << u"talk"_s << 1 << 24 << u"ta-2026-12-10-044040.txt"_s;
        QTest::newRow("never inside a character")
            << u"新闻稿"_s << 1 << 30 << u"新闻-2026-12-10-044040.txt"_s;
        QTest::newRow("never inside a surrogate pair")
            << u"😀😀"_s << 1 << 29 << u"😀-2026-12-10-044040.txt"_s;
        QTest::newRow("no room for the name")
            << u"talk"_s << 1 << 10 << u"-2026-12-10-044040.txt"_s;
    }

    void recoveredFileName()
    {
        QFETCH(QString, name);
        QFETCH(int, attempt);
        QFETCH(int, maxBytes);
        QFETCH(QString, expected);
        QCOMPARE(::recoveredFileName(name, stopped, attempt, maxBytes), expected);
    }
};

QTEST_GUILESS_MAIN(RecoveredTextTest)
#include "tst_recoveredtext.moc"
