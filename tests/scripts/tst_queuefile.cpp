#include "queuefile.h"
#include "tavrixerror.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

#include <sys/resource.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(file.errorString()));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

QString writeFailure(const QString &path, const QStringList &items)
{
    try {
        writeQueueFile(path, items);
    } catch (const TavrixError &error) {
        return error.message();
    }
    return QStringLiteral("(no error)");
}

bool runningAsRoot()
{
    return ::geteuid() == 0;
}

// Lowers this process's file size limit, so that a write stops part-way with EFBIG.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_saved);
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = m_saved;
        lowered.rlim_cur = bytes;
        m_active = ::setrlimit(RLIMIT_FSIZE, &lowered) == 0;
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_handler);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

    bool active() const { return m_active; }

private:
    rlimit m_saved = {};
    void (*m_handler)(int) = nullptr;
    bool m_active = false;
};

const QStringList kPreviousQueue{u"/scripts/one.txt"_s, u"/scripts/two.rtf"_s};
const QByteArray kPreviousBytes = "/scripts/one.txt\r\n/scripts/two.rtf\r\n";

} // namespace

class QueueFileTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void saveThenLoad_givesSameItems_data()
    {
        QTest::addColumn<QStringList>("items");
        QTest::newRow("non-ASCII paths")
            << QStringList{u"/home/zoë/Сценарий 1.txt"_s, u"/tmp/😀 news.rtf"_s, u"C:\\Ωμέγα.txt"_s};
        QTest::newRow("duplicates") << QStringList{u"/a.txt"_s, u"/a.txt"_s};
        QTest::newRow("spaces and tabs kept")
            << QStringList{u"  /lead.txt"_s, u"/trail.txt  "_s, u"\t/tab.txt"_s};
        QTest::newRow("empty item between") << QStringList{u"/a"_s, QString(), u"/b"_s};
        QTest::newRow("percent signs") << QStringList{u"%1 %2"_s, u"100%"_s};
        QTest::newRow("one item") << QStringList{u"relative/path.txt"_s};
    }

    void saveThenLoad_givesSameItems()
    {
        QFETCH(QStringList, items);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"queue.tvx"_s);
        writeQueueFile(path, items);
        QCOMPARE(readQueueFile(path), items);
    }

    void save_writesUtf8LinesEndingInCrLf()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"queue.tvx"_s);
        writeQueueFile(path, {u"a"_s, u"/home/zoë"_s});
        QCOMPARE(readFile(path), QByteArray("a\r\n/home/zo\xC3\xAB\r\n"));
    }

    void save_replacesLongerFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"queue.tvx"_s);
        writeFile(path, QByteArray(10000, 'x'));
        writeQueueFile(path, {u"/only.txt"_s});
        QCOMPARE(readFile(path), QByteArray("/only.txt\r\n"));
    }

    void load_handEditedFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("blank lines")
            << QByteArray("/a\n\n\n/b\n") << QStringList{u"/a"_s, QString(), QString(), u"/b"_s};
        QTest::newRow("utf-8 mark") << QByteArray("\xEF\xBB\xBF/home/zo\xC3\xAB.txt\r\n")
                                    << QStringList{u"/home/zoë.txt"_s};
        QTest::newRow("windows-1252") << QByteArray("C:\\Scripts\\caf\xE9.txt\r\nD:\\\x80.rtf\r\n")
                                      << QStringList{u"C:\\Scripts\\café.txt"_s, u"D:\\€.rtf"_s};
        QTest::newRow("utf-16 le mark")
            << QByteArray("\xFF\xFE/\0\x16\x04\r\0\n\0", 10) << QStringList{u"/Ж"_s};
        QTest::newRow("no final break") << QByteArray("/a\r\n/b") << QStringList{u"/a"_s, u"/b"_s};
        QTest::newRow("lone CR") << QByteArray("/a\r/b\r") << QStringList{u"/a"_s, u"/b"_s};
        QTest::newRow("NUL ends the items")
            << QByteArray("/a\r\n/b\0/c\r\n/d", 12) << QStringList{u"/a"_s, u"/b"_s};
        QTest::newRow("no trimming") << QByteArray(" /a \r\n") << QStringList{u" /a "_s};
        QTest::newRow("binary content") << QByteArray("\x01"
                                                      "a\xFF\r\x02\0z",
                                                      7)
                                        << QStringList{u"\u0001aÿ"_s, u"\u0002"_s};
        QTest::newRow("empty file") << QByteArray() << QStringList();
    }

    void load_handEditedFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, items);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"edited.tvx"_s);
        writeFile(path, bytes);
        QCOMPARE(readQueueFile(path), items);
    }

    void saveThenLoad_100000Items()
    {
        QStringList items;
        for (int i = 0; i < 100000; ++i)
            items.append(u"/scripts/item %1 ë.txt"_s.arg(i));
        QTemporaryDir dir;
        const QString path = dir.filePath(u"queue.tvx"_s);
        writeQueueFile(path, items);
        QCOMPARE(readQueueFile(path), items);
    }

    void saveThenLoad_megabyteLines()
    {
        const QStringList items{QString(1 << 20, u'a'), QString(1 << 20, u'я'), u"short"_s};
        QTemporaryDir dir;
        const QString path = dir.filePath(u"queue.tvx"_s);
        writeQueueFile(path, items);
        QCOMPARE(readQueueFile(path), items);
    }

    void load_failures_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing") << u"missing"_s << u"No such file or directory"_s;
        QTest::newRow("directory") << u"directory"_s << u"Is a directory"_s;
        QTest::newRow("too large") << u"too large"_s
                                   << u"The file is too large to show (65.0 MB; the limit is "
                                      "64.0 MB)."_s;
    }

    void load_failures()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"queue.tvx"_s);
        if (kind == u"directory"_s) {
            QVERIFY(QDir().mkdir(path));
        } else if (kind == u"too large"_s) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            QVERIFY(file.resize(65 * 1024 * 1024));
        }
        QString message = u"(no error)"_s;
        try {
            readQueueFile(path);
        } catch (const TavrixError &error) {
            message = error.message();
        }
        QCOMPARE(message, u"Cannot open file \"%1\". %2"_s.arg(path, reason));
    }

    void save_cannotCreate_keepsPreviousFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing folder") << u"missing folder"_s << u"No such file or directory"_s;
        QTest::newRow("target is a folder") << u"target is a folder"_s << u"Is a directory"_s;
        QTest::newRow("read-only folder") << u"read-only folder"_s << u"Permission denied"_s;
        QTest::newRow("read-only file") << u"read-only file"_s << u"Permission denied"_s;
    }

    void save_cannotCreate_keepsPreviousFile()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        QString path = dir.filePath(u"queue.tvx"_s);
        if (kind == u"missing folder"_s) {
            path = dir.filePath(u"no such folder/queue.tvx"_s);
        } else if (kind == u"target is a folder"_s) {
            QVERIFY(QDir().mkpath(path + u"/inside"_s));
        } else {
            if (runningAsRoot())
                QSKIP("Running as root: permissions do not stop root from writing.");
            writeFile(path, kPreviousBytes);
            const QString locked = kind == u"read-only folder"_s ? dir.path() : path;
            QVERIFY(QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        }
        const QString message = writeFailure(path, {u"/new.txt"_s});
        QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                              QFileDevice::ExeOwner);
        QCOMPARE(message, u"Cannot create file \"%1\". %2"_s.arg(path, reason));
        if (kind.startsWith(u"read-only"_s))
            QCOMPARE(readFile(path), kPreviousBytes);
    }

    void save_writeStopsPartWay_keepsPreviousFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"queue.tvx"_s);
        writeQueueFile(path, kPreviousQueue);
        const QStringList bigQueue(2000, u"/scripts/a long path that fills the disk.txt"_s);
        QString message;
        {
            const FileSizeLimit limit(16 * 1024);
            QVERIFY(limit.active());
            message = writeFailure(path, bigQueue);
        }
        QCOMPARE(message, u"Stream write error"_s);
        QCOMPARE(readQueueFile(path), kPreviousQueue);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{u"queue.tvx"_s});
    }
};

QTEST_APPLESS_MAIN(QueueFileTest)
#include "tst_queuefile.moc"
