#include "childprocess.h"
#include "queuefile.h"
#include "tavrixerror.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

#include <sys/resource.h>
#include <sys/stat.h>
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

QString readFailure(const QString &path)
{
    try {
        readQueueFile(path);
    } catch (const TavrixError &error) {
        return error.message();
    }
    return QStringLiteral("(no error)");
}

QString cannotOpen(const QString &path, const QString &reason)
{
    return u"Cannot open file \"%1\". %2"_s.arg(path, reason);
}

constexpr QFileDevice::Permissions kReadOnlyForAll =
    QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup |
    QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther;
constexpr QFileDevice::Permissions kWritableForAll =
    kReadOnlyForAll | QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;

void setPermissions(const QString &path, QFileDevice::Permissions permissions)
{
    QVERIFY2(QFile::setPermissions(path, permissions), qPrintable(path));
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
        const QStringList nonAscii{u"/home/zoë/Сценарий 1.txt"_s, u"/tmp/😀 news.rtf"_s,
                                   u"C:\\Ωμέγα.txt"_s};
        QTest::newRow("non-ASCII paths") << nonAscii;
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

    void saveThenLoad_longestPaths()
    {
        // 4095 bytes each: ASCII, two-byte letters, and a four-byte character at the end.
        const QStringList items{QString(kMaxQueuePathBytes, u'a'),
                                u"/"_s + QString((kMaxQueuePathBytes - 1) / 2, u'я'),
                                QString(kMaxQueuePathBytes - 4, u'b') + u"😀"_s};
        for (const QString &item : items)
            QCOMPARE(item.toUtf8().size(), kMaxQueuePathBytes);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"queue.tvx"_s);
        writeQueueFile(path, items);
        QCOMPARE(readQueueFile(path), items);
    }

    void load_refusesWhatNoQueueHolds_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reason");
        const QByteArray longest(kMaxQueuePathBytes, 'a');
        const QString tooLong = u"Line %1 is longer than a path can be (more than 4,095 bytes)."_s;
        QTest::newRow("100,001 items")
            << QByteArray("/a.txt\r\n").repeated(kMaxQueueItems + 1)
            << u"The queue is too long to load (100,001 items; the limit is 100,000)."_s;
        QTest::newRow("100,001 empty lines")
            << QByteArray("\n").repeated(kMaxQueueItems + 1)
            << u"The queue is too long to load (100,001 items; the limit is 100,000)."_s;
        QTest::newRow("a million items, no final break")
            << QByteArray("ab\r").repeated(1000000) + "c"
            << u"The queue is too long to load (1,000,001 items; the limit is 100,000)."_s;
        QTest::newRow("a line one byte over the longest path")
            << QByteArray("/a.txt\r\n" + longest + "a\r\n/b.txt\r\n") << tooLong.arg(2);
        QTest::newRow("the last line over, without a break")
            << QByteArray("/a.txt\n" + longest + "a") << tooLong.arg(2);
        QTest::newRow("2,048 two-byte letters are 4,096 bytes")
            << QByteArray("/a\n/b\n") + QString(2048, u'я').toUtf8() << tooLong.arg(3);
        QTest::newRow("utf-16: 2,048 units, 4,096 bytes as a path")
            << QByteArray("\xFF\xFE", 2) + QByteArray("O\x04").repeated(2048) << tooLong.arg(1);
        QTest::newRow("windows-1252: 1,366 euro signs are 4,098 bytes")
            << QByteArray(1366, '\x80') << tooLong.arg(1);
        QTest::newRow("one 64 MB line") << QByteArray(64 * 1024 * 1024, 'x') << tooLong.arg(1);
    }

    void load_refusesWhatNoQueueHolds()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"huge.tvx"_s);
        writeFile(path, bytes);
        QCOMPARE(readFailure(path), cannotOpen(path, reason));
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
        QCOMPARE(readFailure(path), cannotOpen(path, reason));
    }

    void load_unreadableFile()
    {
        const auto dir = makeSharedTemporaryDir();
        QVERIFY(dir->isValid());
        const QString path = dir->filePath(u"secret.tvx"_s);
        writeFile(path, kPreviousBytes);
        setPermissions(path, QFileDevice::WriteOwner);
        const ChildOutcome outcome =
            runInChild(ChildUser::Unprivileged, [&] { return readFailure(path).toUtf8(); });
        QVERIFY_CHILD(outcome);
        QCOMPARE(QString::fromUtf8(outcome.result), cannotOpen(path, u"Permission denied"_s));
    }

    void save_cannotCreate_keepsPreviousFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing folder") << u"missing folder"_s << u"No such file or directory"_s;
        QTest::newRow("target is a folder") << u"target is a folder"_s << u"Is a directory"_s;
    }

    void save_cannotCreate_keepsPreviousFile()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        QString path = dir.filePath(u"queue.tvx"_s);
        if (kind == u"missing folder"_s)
            path = dir.filePath(u"no such folder/queue.tvx"_s);
        else
            QVERIFY(QDir().mkpath(path + u"/inside"_s));
        QCOMPARE(writeFailure(path, {u"/new.txt"_s}),
                 u"Cannot create file \"%1\". %2"_s.arg(path, reason));
    }

    // Permissions bind only an unprivileged user: the save runs as one.
    void save_permissions_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason"); // null: the save succeeds
        QTest::addColumn<QByteArray>("contents");
        const QByteArray saved = "/new.txt\r\n";
        QTest::newRow("new file in a read-only folder")
            << u"new file, read-only folder"_s << u"Permission denied"_s
            << QByteArray("(unreadable)");
        QTest::newRow("read-only file")
            << u"read-only file"_s << u"Permission denied"_s << kPreviousBytes;
        QTest::newRow("read-only file in a read-only folder")
            << u"read-only file, read-only folder"_s << u"Permission denied"_s << kPreviousBytes;
        QTest::newRow("writable file in a read-only folder is written in place")
            << u"writable file, read-only folder"_s << QString() << saved;
    }

    void save_permissions()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        QFETCH(QByteArray, contents);
        const auto dir = makeSharedTemporaryDir();
        QVERIFY(dir->isValid());
        const QString folder = dir->filePath(u"queues"_s);
        QVERIFY(QDir().mkdir(folder));
        const QString path = folder + u"/queue.tvx"_s;
        if (!kind.startsWith(u"new file"_s)) {
            writeFile(path, kPreviousBytes);
            setPermissions(path,
                           kind.startsWith(u"writable"_s) ? kWritableForAll : kReadOnlyForAll);
        }
        setPermissions(folder,
                       kind.endsWith(u"read-only folder"_s) ? kReadOnlyForAll : kWritableForAll);
        const ChildOutcome outcome = runInChild(
            ChildUser::Unprivileged, [&] { return writeFailure(path, {u"/new.txt"_s}).toUtf8(); });
        setPermissions(folder, kWritableForAll);
        QVERIFY_CHILD(outcome);
        QCOMPARE(QString::fromUtf8(outcome.result),
                 reason.isNull() ? u"(no error)"_s
                                 : u"Cannot create file \"%1\". %2"_s.arg(path, reason));
        QCOMPARE(readFile(path), contents);
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden),
                 contents.startsWith('(') ? QStringList() : QStringList{u"queue.tvx"_s});
    }

    // In a sticky folder only a file's owner may replace it: the finished file
    // cannot take the place of another user's, though both are writable.
    void save_commitRefused_reportsCannotCreate()
    {
        if (!runsAsRoot())
            QSKIP("Needs a file owned by another user than the one saving: run as root.");
        const auto dir = makeSharedTemporaryDir();
        QVERIFY(dir->isValid());
        const QString folder = dir->filePath(u"shared"_s);
        QVERIFY(QDir().mkdir(folder));
        QCOMPARE(::chmod(QFile::encodeName(folder).constData(), 01777), 0);
        const QString path = folder + u"/queue.tvx"_s;
        writeFile(path, kPreviousBytes);
        setPermissions(path, kWritableForAll);
        const ChildOutcome outcome = runInChild(
            ChildUser::Unprivileged, [&] { return writeFailure(path, {u"/new.txt"_s}).toUtf8(); });
        QVERIFY_CHILD(outcome);
        QCOMPARE(QString::fromUtf8(outcome.result),
                 u"Cannot create file \"%1\". Operation not permitted"_s.arg(path));
        QCOMPARE(readFile(path), kPreviousBytes);
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{u"queue.tvx"_s});
    }

    // In place there is no earlier file to fall back on: a new size the disk
    // cannot take is refused before the file is touched. A file size limit in
    // the child stands in for a full disk, which a test cannot make.
    void save_inPlace_refusedWhenTheSizeCannotBeReserved()
    {
        const auto dir = makeSharedTemporaryDir();
        QVERIFY(dir->isValid());
        const QString folder = dir->filePath(u"queues"_s);
        QVERIFY(QDir().mkdir(folder));
        const QString path = folder + u"/keep.txt"_s;
        QByteArray previous;
        for (int i = 0; i < 1000; ++i)
            previous += "/scripts/kept line " + QByteArray::number(i) + '\n';
        writeFile(path, previous);
        setPermissions(path, kWritableForAll);
        setPermissions(folder, kReadOnlyForAll);
        const QStringList bigQueue(2000, u"/scripts/a long path that fills the disk.txt"_s);
        const ChildOutcome outcome = runInChild(ChildUser::Unprivileged, [&] {
            const FileSizeLimit lowered(rlim_t(previous.size() + 100));
            return lowered.active() ? writeFailure(path, bigQueue).toUtf8() : "(no limit)";
        });
        setPermissions(folder, kWritableForAll);
        QVERIFY_CHILD(outcome);
        QCOMPARE(
            QString::fromUtf8(outcome.result),
            u"Cannot write \"%1\" in place: File too large. The file was not changed."_s.arg(path));
        QCOMPARE(readFile(path), previous);
    }

    // A queue smaller than Qt's write buffer reaches the disk only as the file is
    // committed; that write must fail the save as well.
    void save_writeStopsPartWay_keepsPreviousFile_data()
    {
        QTest::addColumn<int>("items");
        QTest::addColumn<int>("limit");
        QTest::newRow("larger than the write buffer") << 2000 << 16 * 1024;
        QTest::newRow("within the write buffer") << 3 << 40;
    }

    void save_writeStopsPartWay_keepsPreviousFile()
    {
        QFETCH(int, items);
        QFETCH(int, limit);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"queue.tvx"_s);
        writeQueueFile(path, kPreviousQueue);
        const QStringList bigQueue(items, u"/scripts/a long path that fills the disk.txt"_s);
        QString message;
        {
            const FileSizeLimit lowered{rlim_t(limit)};
            QVERIFY(lowered.active());
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
