#include "registrystore.h"
#include "showoptions.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(ShowOptions)

namespace {

const QString kRoot = u"software\\morvane\\tavrix"_s;

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class ShowOptionsTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The store file of an older release gains the new values and nothing else changes.
    void olderStore_gainsOnlyTheNewValues_data()
    {
        QTest::addColumn<ShowOptions>("options");
        QTest::addColumn<QByteArray>("added"); // after the section's last value; empty: no write
        QTest::newRow("defaults write nothing") << ShowOptions{} << QByteArray();
        QTest::newRow("countdown 3") << ShowOptions{3, false, false}
                                     << QByteArray("\"ShowCountdown\"=dword:00000003\r\n"
                                                   "\"ShowWordsPerMinute\"=dword:00000000\r\n"
                                                   "\"ShowReadingLine\"=dword:00000000\r\n");
        QTest::newRow("countdown 30, both on")
            << ShowOptions{30, true, true}
            << QByteArray("\"ShowCountdown\"=dword:0000001e\r\n"
                          "\"ShowWordsPerMinute\"=dword:00000001\r\n"
                          "\"ShowReadingLine\"=dword:00000001\r\n");
    }

    void olderStore_gainsOnlyTheNewValues()
    {
        QFETCH(ShowOptions, options);
        QFETCH(QByteArray, added);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"user.reg"_s);
        QVERIFY(QFile::copy(QStringLiteral(TAVRIX_TEST_DATA "/settings/user-2.0.reg"), path));
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        const QByteArray before = readAll(path);
        {
            RegistryStore store(kRoot, path);
            ShowOptionsStore show(store, u"Form1"_s);
            QCOMPARE(show.load(), ShowOptions{});
            show.save(options);
            QCOMPARE(show.load(), options);
        }
        QByteArray expected = before;
        const QByteArray anchor = "\"Timer1_Interval\"=dword:0000010f\r\n";
        QVERIFY(expected.contains(anchor));
        expected.replace(anchor, QByteArray(anchor + added));
        QCOMPARE(readAll(path), expected);
    }

    void storedValues_areBounded_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("seconds");
        QTest::newRow("one") << 1 << 1;
        QTest::newRow("thirty") << 30 << 30;
        QTest::newRow("past thirty") << 31 << 0;
        QTest::newRow("negative") << -5 << 0;
    }

    void storedValues_areBounded()
    {
        QFETCH(int, stored);
        QFETCH(int, seconds);
        QTemporaryDir dir;
        RegistryStore store(kRoot, dir.filePath(u"user.reg"_s));
        store.writeInteger(u"Form1\\ShowCountdown"_s, stored);
        store.writeInteger(u"Form1\\ShowReadingLine"_s, 7);
        const ShowOptions options = ShowOptionsStore(store, u"Form1"_s).load();
        QCOMPARE(options.countdownSeconds, seconds);
        QVERIFY(options.readingLine);
        QVERIFY(!options.wordsPerMinute);
    }
};

QTEST_GUILESS_MAIN(ShowOptionsTest)
#include "tst_showoptions.moc"
