#include "childprocess.h"
#include "registrystore.h"
#include "tavrixerror.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

const QString mainRoot = QStringLiteral("software\\morvane\\tavrix");
const QString optionsRoot = QStringLiteral("Software\\Morvane\\tavrix");
const QByteArray head = "Windows Registry Editor Version 5.00\r\n\r\n";

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QString errorOf(const std::function<void()> &action)
{
    try {
        action();
    } catch (const KnownError &error) {
        return u"(known) "_s + error.message();
    } catch (const TavrixError &error) {
        return error.message();
    }
    return QString();
}

// Run as a child process: saves `count` values of its own into `file`, one
// batch each, racing another copy doing the same.
int runWriter(const QString &file, const QString &id, int count)
{
    for (int i = 0; i < count; ++i) {
        RegistryStore store(mainRoot, file);
        RegistryStore::Batch batch(store);
        store.writeInteger(QStringLiteral("Race\\%1_%2").arg(id).arg(i), i);
        store.writeString(QStringLiteral("Race\\%1_last").arg(id), QString::number(i));
        batch.commit();
    }
    return 0;
}

} // namespace

class TestAppRegistryStorage : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void defaultFilePath_isUnderConfigHome();
    void bothRootsNameOneKey();
    void paths_dropEmptySegments_data();
    void paths_dropEmptySegments();
    void readInteger_acceptsDwordAndDecimalString_data();
    void readInteger_acceptsDwordAndDecimalString();
    void readString_acceptsStringsOnly_data();
    void readString_acceptsStringsOnly();
    void exists_valuesAndKeys();
    void read_missingOrUnreadableFileGivesDefaults_data();
    void read_missingOrUnreadableFileGivesDefaults();
    void read_seesChangesOfOtherWriters();
    void write_createsDirectoryAndFile();
    void write_keepsUnknownKeysAndValues();
    void batch_writesOnceAtTheEnd();
    void batch_holdsLockUntilItEnds();
    void batch_cancelledWritesNothing();
    void concurrentProcesses_loseNothing();
    void damagedFile_keptAsBadBeforeSave_data();
    void damagedFile_keptAsBadBeforeSave();
    void hugeFile_readsDefaultsAndIsKept();
    void background_readAtOnceWrittenInOrder();
    void background_failureReported();
    void failure_storeDirectoryIsAFile();
    void failure_storeFileIsADirectory();
    void failure_unwritableDirectory();
    void failure_writeStopsPartWay_keepsWholeFile();
    void failure_unrepresentableText();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_file;
};

void TestAppRegistryStorage::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_file = m_dir->filePath(QStringLiteral("tavrix/user.reg"));
}

void TestAppRegistryStorage::defaultFilePath_isUnderConfigHome()
{
    QCOMPARE(RegistryStore::defaultFilePath(),
             QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                 QStringLiteral("/tavrix/user.reg"));
    QCOMPARE(RegistryStore::damagedCopyPath(m_file), m_file + QStringLiteral(".bad"));
}

void TestAppRegistryStorage::bothRootsNameOneKey()
{
    RegistryStore main(mainRoot, m_file);
    RegistryStore options(optionsRoot, m_file);
    main.writeInteger(QStringLiteral("Form1\\FormVersion"), 3);
    options.writeInteger(QStringLiteral("Form4\\FormVersion"), 4);

    QCOMPARE(options.readInteger(QStringLiteral("Form1\\FormVersion"), -1), 3);
    QCOMPARE(main.readInteger(QStringLiteral("form4\\formversion"), -1), 4);
    // The root keeps the case of its first creation.
    const QByteArray text = readAll(m_file);
    QVERIFY(text.contains("[HKEY_CURRENT_USER\\software\\morvane\\tavrix\\Form1]"));
    QVERIFY(text.contains("[HKEY_CURRENT_USER\\software\\morvane\\tavrix\\Form4]"));
    QVERIFY(!text.contains("Software\\Morvane"));
}

void TestAppRegistryStorage::paths_dropEmptySegments_data()
{
    QTest::addColumn<QString>("root");
    QTest::addColumn<QString>("path");

    QTest::newRow("plain") << mainRoot << "Form1\\A";
    QTest::newRow("doubled") << mainRoot << "Form1\\\\A";
    QTest::newRow("leading and trailing") << mainRoot << "\\Form1\\A\\";
    QTest::newRow("root with slashes") << "\\software\\\\morvane\\tavrix\\"
                                       << "Form1\\A";
    QTest::newRow("section in the root") << "software\\morvane\\tavrix\\Form1"
                                         << "A";
}

void TestAppRegistryStorage::paths_dropEmptySegments()
{
    QFETCH(QString, root);
    QFETCH(QString, path);

    RegistryStore store(root, m_file);
    store.writeInteger(path, 11);
    RegistryStore reader(mainRoot, m_file);
    QCOMPARE(reader.readInteger(QStringLiteral("Form1\\A"), 0), 11);
    QVERIFY(readAll(m_file).contains("[HKEY_CURRENT_USER\\software\\morvane\\tavrix\\Form1]\r\n"
                                     "\"A\"=dword:0000000b\r\n"));
}

void TestAppRegistryStorage::readInteger_acceptsDwordAndDecimalString_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("expected");

    QTest::newRow("dword") << QByteArray("\"V\"=dword:0000000a") << 10;
    QTest::newRow("negative dword") << QByteArray("\"V\"=dword:ffffffe0") << -32;
    QTest::newRow("decimal string") << QByteArray("\"V\"=\"25\"") << 25;
    QTest::newRow("negative decimal string") << QByteArray("\"V\"=\"-2147483648\"") << INT_MIN;
    QTest::newRow("string beyond 32 bits") << QByteArray("\"V\"=\"4294967296\"") << -7;
    QTest::newRow("dword beyond 32 bits") << QByteArray("\"V\"=dword:100000000") << -7;
    QTest::newRow("hex string") << QByteArray("\"V\"=\"0x10\"") << -7;
    QTest::newRow("words") << QByteArray("\"V\"=\"ten\"") << -7;
    QTest::newRow("empty string") << QByteArray("\"V\"=\"\"") << -7;
    QTest::newRow("binary") << QByteArray("\"V\"=hex:0a,00,00,00") << -7;
    QTest::newRow("missing") << QByteArray("\"W\"=dword:00000001") << -7;
}

void TestAppRegistryStorage::readInteger_acceptsDwordAndDecimalString()
{
    QFETCH(QByteArray, line);
    QFETCH(int, expected);

    QVERIFY(QDir().mkpath(QFileInfo(m_file).path()));
    QVERIFY(writeAll(m_file, head + "[HKEY_CURRENT_USER\\Software\\Morvane\\tavrix\\Form1]\r\n" +
                                 line + "\r\n"));
    const RegistryStore store(mainRoot, m_file);
    QCOMPARE(store.readInteger(QStringLiteral("Form1\\V"), -7), expected);
}

void TestAppRegistryStorage::readString_acceptsStringsOnly_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("expected");

    QTest::newRow("string") << QByteArray("\"V\"=\"Arial\"") << "Arial";
    QTest::newRow("empty string") << QByteArray("\"V\"=\"\"") << "";
    QTest::newRow("dword") << QByteArray("\"V\"=dword:00000001") << "default";
    QTest::newRow("binary") << QByteArray("\"V\"=hex:41,00") << "default";
    QTest::newRow("missing") << QByteArray("\"W\"=\"x\"") << "default";
}

void TestAppRegistryStorage::readString_acceptsStringsOnly()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, expected);

    QVERIFY(QDir().mkpath(QFileInfo(m_file).path()));
    QVERIFY(writeAll(m_file, head + "[HKEY_CURRENT_USER\\Software\\Morvane\\tavrix\\Form1]\r\n" +
                                 line + "\r\n"));
    const RegistryStore store(mainRoot, m_file);
    QCOMPARE(store.readString(QStringLiteral("Form1\\V"), QStringLiteral("default")), expected);
}

void TestAppRegistryStorage::exists_valuesAndKeys()
{
    RegistryStore store(mainRoot, m_file);
    QVERIFY(!store.keyExists(QStringLiteral("Form1")));
    store.writeString(QStringLiteral("Form1\\FontDialog1_Font\\Style\\fsBold"),
                      QStringLiteral("TRUE"));

    QVERIFY(store.keyExists(QStringLiteral("Form1")));
    QVERIFY(store.keyExists(QStringLiteral("form1\\fontdialog1_font")));
    QVERIFY(store.keyExists(QStringLiteral("Form1\\FontDialog1_Font\\Style\\")));
    QVERIFY(!store.keyExists(QStringLiteral("Form1\\FontDialog1_Font\\Style\\fsBold")));
    QVERIFY(store.valueExists(QStringLiteral("Form1\\FontDialog1_Font\\Style\\FSBOLD")));
    QVERIFY(!store.valueExists(QStringLiteral("Form1\\FontDialog1_Font\\Style")));
    QVERIFY(!store.valueExists(QStringLiteral("Form1\\FontDialog1_Font\\Style\\fsItalic")));
}

void TestAppRegistryStorage::read_missingOrUnreadableFileGivesDefaults_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason"); // empty: readable
    QTest::newRow("missing") << QStringLiteral("missing") << QString();
    QTest::newRow("a directory") << QStringLiteral("directory") << QStringLiteral("Is a directory");
    QTest::newRow("a FIFO, which would block the open")
        << QStringLiteral("fifo") << QStringLiteral("Not a regular file");
}

// Defaults, the reason, and the file never written over. The store runs in a
// child that an alarm ends, so that an open that blocks fails the row.
void TestAppRegistryStorage::read_missingOrUnreadableFileGivesDefaults()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    QVERIFY(QDir().mkpath(QFileInfo(m_file).path()));
    if (kind == u"directory")
        QVERIFY(QDir().mkpath(m_file));
    else if (kind == u"fifo")
        QCOMPARE(::mkfifo(QFile::encodeName(m_file).constData(), 0600), 0);
    const ChildOutcome outcome = runInChild(ChildUser::Caller, [&] {
        ::alarm(20);
        RegistryStore store(mainRoot, m_file);
        QStringList seen;
        seen << QString::number(store.readInteger(QStringLiteral("Form1\\A"), 5))
             << store.readString(QStringLiteral("Form1\\B"), QStringLiteral("d"))
             << (store.keyExists(QStringLiteral("Form1")) ? u"key"_s : u"no key"_s)
             << store.readProblem().value_or(QString());
        if (kind != u"missing")
            seen << errorOf([&] { store.writeInteger(QStringLiteral("Form1\\A"), 1); });
        return seen.join(u'|').toUtf8();
    });
    QVERIFY_CHILD(outcome);
    QStringList expected{u"5"_s, u"d"_s, u"no key"_s};
    if (reason.isEmpty()) {
        expected << QString();
    } else {
        // Named at start: a write fails as a known error, not another box.
        const QString problem = u"Cannot open file \"%1\". %2"_s.arg(m_file, reason);
        expected << problem << u"(known) The settings were not saved. "_s + problem;
    }
    QCOMPARE(QString::fromUtf8(outcome.result), expected.join(u'|'));
    const QFileInfo left(m_file);
    QCOMPARE(left.exists(), kind != u"missing");
    QVERIFY(!left.isFile());
}

void TestAppRegistryStorage::read_seesChangesOfOtherWriters()
{
    RegistryStore reader(mainRoot, m_file);
    RegistryStore writer(optionsRoot, m_file);
    writer.writeInteger(QStringLiteral("Form4\\allcaps_ItemIndex"), 1);
    QCOMPARE(reader.readInteger(QStringLiteral("Form4\\allcaps_ItemIndex"), -1), 1);
    writer.writeInteger(QStringLiteral("Form4\\allcaps_ItemIndex"), 0);
    QCOMPARE(reader.readInteger(QStringLiteral("Form4\\allcaps_ItemIndex"), -1), 0);
}

void TestAppRegistryStorage::write_createsDirectoryAndFile()
{
    const QString deep = m_dir->filePath(QStringLiteral("a/b/tavrix/user.reg"));
    RegistryStore store(mainRoot, deep);
    store.writeString(QStringLiteral("Form1\\NormPos"), QStringLiteral("0,0,1920,250"));
    QCOMPARE(readAll(deep),
             QByteArray(head + "[HKEY_CURRENT_USER\\software\\morvane\\tavrix\\Form1]\r\n"
                               "\"NormPos\"=\"0,0,1920,250\"\r\n\r\n"));
    QVERIFY(!QFile::exists(deep + QStringLiteral(".bad")));
}

void TestAppRegistryStorage::write_keepsUnknownKeysAndValues()
{
    const QByteArray original = head + "[HKEY_CURRENT_USER\\Software\\Morvane\\tavrix\\Form1]\r\n"
                                       "\"FormVersion\"=dword:00000000\r\n"
                                       "\"Unknown\"=\"keep me\"\r\n"
                                       "\"Blob\"=hex:de,ad,\\\r\n"
                                       "  be,ef\r\n"
                                       "\r\n"
                                       "[HKEY_CURRENT_USER\\Software\\Elsewhere]\r\n"
                                       "; a note\r\n"
                                       "\"Other\"=dword:00000010\r\n"
                                       "\r\n";
    QVERIFY(QDir().mkpath(QFileInfo(m_file).path()));
    QVERIFY(writeAll(m_file, original));

    RegistryStore store(mainRoot, m_file);
    store.writeInteger(QStringLiteral("Form1\\FormVersion"), 0);
    QCOMPARE(readAll(m_file), original);
    store.writeInteger(QStringLiteral("Form1\\speedmod_Value"), 4);
    QByteArray expected = original;
    expected.insert(expected.indexOf("\r\n\r\n[HKEY_CURRENT_USER\\Software\\Elsewhere]") + 2,
                    "\"speedmod_Value\"=dword:00000004\r\n");
    QCOMPARE(readAll(m_file), expected);
}

void TestAppRegistryStorage::batch_writesOnceAtTheEnd()
{
    RegistryStore store(mainRoot, m_file);
    store.writeInteger(QStringLiteral("Form1\\A"), 1);
    const QByteArray before = readAll(m_file);

    store.beginUpdate();
    store.writeInteger(QStringLiteral("Form1\\A"), 2);
    store.beginUpdate();
    store.writeInteger(QStringLiteral("Form1\\B"), 3);
    store.endUpdate();
    QCOMPARE(store.readInteger(QStringLiteral("Form1\\B"), 0), 3);
    QCOMPARE(readAll(m_file), before);
    store.endUpdate();

    const RegistryStore reader(mainRoot, m_file);
    QCOMPARE(reader.readInteger(QStringLiteral("Form1\\A"), 0), 2);
    QCOMPARE(reader.readInteger(QStringLiteral("Form1\\B"), 0), 3);
}

void TestAppRegistryStorage::batch_holdsLockUntilItEnds()
{
    RegistryStore store(mainRoot, m_file);
    QLockFile other(m_file + QStringLiteral(".lock"));
    {
        RegistryStore::Batch batch(store);
        store.writeInteger(QStringLiteral("Form1\\A"), 1);
        QVERIFY(!other.tryLock(0));
        store.writeInteger(QStringLiteral("Form1\\B"), 2);
        batch.commit();
    }
    QVERIFY(other.tryLock(0));
    other.unlock();
}

void TestAppRegistryStorage::batch_cancelledWritesNothing()
{
    RegistryStore store(mainRoot, m_file);
    {
        RegistryStore::Batch batch(store);
        store.writeInteger(QStringLiteral("Form1\\A"), 1);
    }
    QVERIFY(!QFile::exists(m_file));
    QVERIFY(!store.valueExists(QStringLiteral("Form1\\A")));
    store.writeInteger(QStringLiteral("Form1\\B"), 1);
    QVERIFY(!store.valueExists(QStringLiteral("Form1\\A")));
}

void TestAppRegistryStorage::concurrentProcesses_loseNothing()
{
    constexpr int count = 40;
    const QStringList ids = {QStringLiteral("p"), QStringLiteral("q"), QStringLiteral("r")};
    std::vector<std::unique_ptr<QProcess>> writers;
    for (const QString &id : ids) {
        auto &process = writers.emplace_back(std::make_unique<QProcess>());
        process->setProcessChannelMode(QProcess::ForwardedChannels);
        process->start(QCoreApplication::applicationFilePath(),
                       {QStringLiteral("--store-writer"), m_file, id, QString::number(count)});
    }
    for (auto &process : writers) {
        QVERIFY(process->waitForFinished(-1));
        QCOMPARE(process->exitStatus(), QProcess::NormalExit);
        QCOMPARE(process->exitCode(), 0);
    }

    const RegistryStore store(mainRoot, m_file);
    for (const QString &id : ids) {
        for (int i = 0; i < count; ++i)
            QCOMPARE(store.readInteger(QStringLiteral("Race\\%1_%2").arg(id).arg(i), -1), i);
        QCOMPARE(store.readString(QStringLiteral("Race\\%1_last").arg(id), QString()),
                 QString::number(count - 1));
    }
}

void TestAppRegistryStorage::damagedFile_keptAsBadBeforeSave_data()
{
    QTest::addColumn<QByteArray>("original");

    const QByteArray good = "[HKEY_CURRENT_USER\\Software\\Morvane\\tavrix\\Form1]\r\n"
                            "\"Timer1_Interval\"=dword:00000064\r\n";
    QTest::newRow("bad line") << QByteArray(head + good + "\"speedmod_Value\"=dword:0000000g\r\n");
    QTest::newRow("no header") << good;
    QRandomGenerator random(77);
    QByteArray binary(4096, Qt::Uninitialized);
    for (char &c : binary)
        c = char(random.bounded(256));
    QTest::newRow("binary around a section") << QByteArray(binary + "\n" + good + binary);
}

void TestAppRegistryStorage::damagedFile_keptAsBadBeforeSave()
{
    QFETCH(QByteArray, original);

    QVERIFY(QDir().mkpath(QFileInfo(m_file).path()));
    QVERIFY(writeAll(m_file, original));
    const QString bad = RegistryStore::damagedCopyPath(m_file);
    QVERIFY(writeAll(bad, "an older copy"));

    RegistryStore store(mainRoot, m_file);
    QCOMPARE(store.readInteger(QStringLiteral("Form1\\Timer1_Interval"), 0), 100);
    QCOMPARE(readAll(bad), QByteArray("an older copy")); // reading alone copies nothing

    store.writeInteger(QStringLiteral("Form1\\speedmod_Value"), 3);
    QCOMPARE(readAll(bad), original);
    const RegistryStore reader(mainRoot, m_file);
    QCOMPARE(reader.readInteger(QStringLiteral("Form1\\Timer1_Interval"), 0), 100);
    QCOMPARE(reader.readInteger(QStringLiteral("Form1\\speedmod_Value"), 0), 3);

    // The rewritten file is sound, so the next save leaves the copy alone.
    QVERIFY(writeAll(bad, "kept"));
    store.writeInteger(QStringLiteral("Form1\\speedmod_Value"), 4);
    QCOMPARE(readAll(bad), QByteArray("kept"));
}

void TestAppRegistryStorage::hugeFile_readsDefaultsAndIsKept()
{
    constexpr qint64 size = 100 * 1024 * 1024;
    QVERIFY(QDir().mkpath(QFileInfo(m_file).path()));
    {
        QFile file(m_file);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.write(head + "[HKEY_CURRENT_USER\\Software\\Morvane\\tavrix\\Form1]\r\n"
                                  "\"A\"=dword:00000001\r\n") > 0);
        QVERIFY(file.resize(size)); // sparse: cheap to make
    }
    RegistryStore store(mainRoot, m_file);
    QCOMPARE(store.readInteger(QStringLiteral("Form1\\A"), -1), -1);
    store.writeInteger(QStringLiteral("Form1\\B"), 2);
    QCOMPARE(QFileInfo(RegistryStore::damagedCopyPath(m_file)).size(), size);
    QCOMPARE(store.readInteger(QStringLiteral("Form1\\B"), -1), 2);
    QVERIFY(QFileInfo(m_file).size() < 1024);
}

// Written on the store's own thread: seen here at once, on disk in the order given, and
// never overtaken by a later write made in the foreground.
void TestAppRegistryStorage::background_readAtOnceWrittenInOrder()
{
    {
        RegistryStore store(mainRoot, m_file);
        for (int characters = 30; characters <= 40; ++characters)
            store.writeIntegerInBackground(QStringLiteral("Form1\\Characters"), characters);
        store.writeStringInBackground(QStringLiteral("Form1\\Screen"), QStringLiteral("HDMI-1"));
        QCOMPARE(store.readInteger(QStringLiteral("form1\\characters"), 0), 40);
        QCOMPARE(store.readString(QStringLiteral("Form1\\Screen"), QString()), u"HDMI-1"_s);
        QVERIFY(store.valueExists(QStringLiteral("Form1\\Screen")));
        // Strings only, as from the file.
        QCOMPARE(store.readString(QStringLiteral("Form1\\Characters"), u"none"_s), u"none"_s);
        store.writeIntegerInBackground(QStringLiteral("Form1\\Last"), 1);
        store.writeInteger(QStringLiteral("Form1\\Last"), 2);
        QCOMPARE(RegistryStore(mainRoot, m_file).readInteger(QStringLiteral("Form1\\Last"), 0), 2);
        store.writeIntegerInBackground(QStringLiteral("Form1\\Closing"), 7);
    }
    // Destruction waited for the last one.
    RegistryStore again(mainRoot, m_file);
    QCOMPARE(again.readInteger(QStringLiteral("Form1\\Characters"), 0), 40);
    QCOMPARE(again.readString(QStringLiteral("Form1\\Screen"), QString()), u"HDMI-1"_s);
    QCOMPARE(again.readInteger(QStringLiteral("Form1\\Closing"), 0), 7);
    QVERIFY(!QFileInfo::exists(m_file + QStringLiteral(".lock")));
}

// A background write that fails names the key on this thread, and the value reads as the
// file has it again; a store unreadable at start, already named to the operator, is quiet.
void TestAppRegistryStorage::background_failureReported()
{
    // Readable (missing) when the store was made.
    RegistryStore store(mainRoot, m_file);
    QStringList failures;
    store.setBackgroundFailureHandler([&](const QString &message) { failures.append(message); });
    QVERIFY(QDir().mkpath(m_file));
    store.writeIntegerInBackground(QStringLiteral("Form1\\Characters"), 50);
    QCOMPARE(store.readInteger(QStringLiteral("Form1\\Characters"), 0), 50);
    QTRY_COMPARE(failures.size(), 1);
    QCOMPARE(failures.at(0),
             QStringLiteral("Unable to open key "
                            "\"HKEY_CURRENT_USER\\software\\morvane\\tavrix\\Form1\" for write"));
    QCOMPARE(store.readInteger(QStringLiteral("Form1\\Characters"), 0), 0);

    RegistryStore unreadable(mainRoot, m_file);
    unreadable.setBackgroundFailureHandler(
        [&](const QString &message) { failures.append(message); });
    unreadable.writeIntegerInBackground(QStringLiteral("Form1\\Characters"), 50);
    unreadable.waitForBackgroundWrites();
    QTest::qWait(50);
    QCOMPARE(failures.size(), 1);
}

void TestAppRegistryStorage::failure_storeDirectoryIsAFile()
{
    QVERIFY(writeAll(m_dir->filePath(QStringLiteral("tavrix")), "not a directory"));
    RegistryStore store(mainRoot, m_file);
    QCOMPARE(errorOf([&] { store.writeInteger(QStringLiteral("Form1\\A"), 1); }),
             QStringLiteral("Unable to create key 'software\\morvane\\tavrix\\Form1'"));
    QCOMPARE(readAll(m_dir->filePath(QStringLiteral("tavrix"))), QByteArray("not a directory"));
}

void TestAppRegistryStorage::failure_storeFileIsADirectory()
{
    // Readable when the store was made: nobody has been told yet.
    RegistryStore store(mainRoot, m_file);
    QVERIFY(QDir().mkpath(m_file));
    QCOMPARE(errorOf([&] { store.writeInteger(QStringLiteral("Form1\\A"), 1); }),
             QStringLiteral("Unable to open key "
                            "\"HKEY_CURRENT_USER\\software\\morvane\\tavrix\\Form1\" for write"));
    QVERIFY(QFileInfo(m_file).isDir());
    // A failed write leaves no batch behind: the lock is free again.
    QLockFile lock(m_file + QStringLiteral(".lock"));
    QVERIFY(lock.tryLock(0));
}

// Permissions bind only an unprivileged user: the save runs as one.
void TestAppRegistryStorage::failure_unwritableDirectory()
{
    const auto shared = makeSharedTemporaryDir();
    QVERIFY(shared->isValid());
    const QString file = shared->filePath(QStringLiteral("tavrix/user.reg"));
    const QString folder = QFileInfo(file).path();
    QVERIFY(QDir().mkpath(folder));
    const QByteArray original = head + "[HKEY_CURRENT_USER\\Software\\Morvane\\tavrix\\Form1]\r\n"
                                       "\"A\"=dword:00000001\r\n\r\n";
    QVERIFY(writeAll(file, original));
    const QFileDevice::Permissions readOnly = QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                                              QFileDevice::ReadOther | QFileDevice::ExeOther;
    QVERIFY(QFile::setPermissions(folder, readOnly));
    const ChildOutcome outcome = runInChild(ChildUser::Unprivileged, [&] {
        RegistryStore store(mainRoot, file);
        return errorOf([&] {
                   RegistryStore::Batch batch(store);
                   store.writeInteger(QStringLiteral("Form1\\A"), 2);
                   store.writeInteger(QStringLiteral("Form1\\B"), 3);
                   batch.commit();
               })
            .toUtf8();
    });
    QVERIFY(QFile::setPermissions(folder, readOnly | QFileDevice::WriteOwner));
    QVERIFY_CHILD(outcome);
    QCOMPARE(QString::fromUtf8(outcome.result),
             QStringLiteral("Unable to open key "
                            "\"HKEY_CURRENT_USER\\software\\morvane\\tavrix\\Form1\" for write"));
    QCOMPARE(readAll(file), original);
}

// A save that stops part-way (a full disk) must leave the old file whole, so it
// may never write the file in place. The limit runs in a child: it binds the
// whole process.
void TestAppRegistryStorage::failure_writeStopsPartWay_keepsWholeFile()
{
    QVERIFY(QDir().mkpath(QFileInfo(m_file).path()));
    const QByteArray original = head + "[HKEY_CURRENT_USER\\Software\\Morvane\\tavrix\\Form1]\r\n"
                                       "\"A\"=dword:00000001\r\n"
                                       "\"NormPos\"=\"0,0,1920,250\"\r\n\r\n";
    QVERIFY(writeAll(m_file, original));
    constexpr rlim_t limit = 1024;
    const ChildOutcome outcome = runInChild(ChildUser::Caller, [&] {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = {};
        ::getrlimit(RLIMIT_FSIZE, &lowered);
        lowered.rlim_cur = limit;
        if (::setrlimit(RLIMIT_FSIZE, &lowered) != 0)
            return QByteArray("(no limit)");
        RegistryStore store(mainRoot, m_file);
        return errorOf([&] {
                   store.writeString(QStringLiteral("Form1\\Long"), QString(4 * limit, u'x'));
               })
            .toUtf8();
    });
    QVERIFY_CHILD(outcome);
    QCOMPARE(QString::fromUtf8(outcome.result),
             QStringLiteral("Unable to open key "
                            "\"HKEY_CURRENT_USER\\software\\morvane\\tavrix\\Form1\" for write"));
    QCOMPARE(readAll(m_file), original);
    QCOMPARE(QDir(QFileInfo(m_file).path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("user.reg")});
}

void TestAppRegistryStorage::failure_unrepresentableText()
{
    RegistryStore store(mainRoot, m_file);
    store.writeInteger(QStringLiteral("Form1\\A"), 1);
    const QByteArray before = readAll(m_file);
    QCOMPARE(errorOf([&] {
                 RegistryStore::Batch batch(store);
                 store.writeInteger(QStringLiteral("Form1\\A"), 2);
                 store.writeString(QStringLiteral("Form1\\Name"), QStringLiteral("two\nlines"));
                 batch.commit();
             }),
             QStringLiteral("Unable to open key "
                            "\"HKEY_CURRENT_USER\\software\\morvane\\tavrix\\Form1\" for write"));
    QCOMPARE(readAll(m_file), before);
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 5 && qstrcmp(argv[1], "--store-writer") == 0)
        return runWriter(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]),
                         QByteArray(argv[4]).toInt());
    TestAppRegistryStorage test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_registrystore.moc"
