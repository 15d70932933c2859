#include "speedmodel.h"
#include "timeformat.h"

#include <QTest>

class TimeFormatTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void formatDuration_data()
    {
        QTest::addColumn<int>("ms");
        QTest::addColumn<QString>("text");
        QTest::newRow("0") << 0 << QStringLiteral("00:00:00:00");
        QTest::newRow("9") << 9 << QStringLiteral("00:00:00:00");
        QTest::newRow("1234") << 1234 << QStringLiteral("00:00:01:23");
        QTest::newRow("59990") << 59990 << QStringLiteral("00:00:59:99");
        QTest::newRow("one minute") << 60000 << QStringLiteral("00:01:00:00");
        QTest::newRow("61000") << 61000 << QStringLiteral("00:01:01:00");
        QTest::newRow("145500") << 145500 << QStringLiteral("00:02:25:50");
        QTest::newRow("3599999") << 3599999 << QStringLiteral("00:59:59:99");
        QTest::newRow("one hour") << 3600000 << QStringLiteral("01:00:00:00");
        QTest::newRow("3725000") << 3725000 << QStringLiteral("01:02:05:00");
        QTest::newRow("100 hours") << 360000000 << QStringLiteral("100:00:00:00");
        QTest::newRow("negative") << -5500 << QStringLiteral("00:00:-5:-50");
        QTest::newRow("negative minute") << -60000 << QStringLiteral("00:00:-60:00");
        QTest::newRow("int max") << 2147483647 << QStringLiteral("596:31:23:64");
    }

    void formatDuration()
    {
        QFETCH(int, ms);
        QFETCH(QString, text);
        QCOMPARE(::formatDuration(ms), text);
    }

    void readouts_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("step");
        QTest::addColumn<uint>("period");
        QTest::addColumn<int>("elapsed");
        QTest::addColumn<int>("remaining");
        QTest::newRow("worked readout") << 500 << 500 << 1 << 291u << 145500 << 0;
        QTest::newRow("7 with step 3 counts 2 ticks") << 7 << 7 << 3 << 100u << 200 << 0;
        QTest::newRow("remaining truncates") << 10 << 3 << 3 << 100u << 100 << 200;
        QTest::newRow("1 ms counts as 10") << 100 << 50 << 1 << 1u << 500 << 500;
        QTest::newRow("9 ms counts as 10") << 100 << 50 << 1 << 9u << 500 << 500;
        QTest::newRow("10 ms is 10") << 100 << 50 << 1 << 10u << 500 << 500;
        QTest::newRow("position -1") << 100 << -1 << 1 << 100u << -100 << 10100;
        QTest::newRow("beyond the length") << 100 << 130 << 3 << 100u << 4300 << -1000;
        QTest::newRow("no document, -1 truncates to 0 ticks") << 0 << -1 << 3 << 100u << 0 << 0;
    }

    void readouts()
    {
        QFETCH(int, length);
        QFETCH(int, position);
        QFETCH(int, step);
        QFETCH(uint, period);
        QFETCH(int, elapsed);
        QFETCH(int, remaining);
        QCOMPARE(elapsedMilliseconds(position, step, period), elapsed);
        QCOMPARE(remainingMilliseconds(length, position, step, period), remaining);
    }

    void speedChange_rescalesBothFigures()
    {
        QCOMPARE(elapsedMilliseconds(40, 2, 200), 2 * elapsedMilliseconds(40, 2, 100));
        QCOMPARE(remainingMilliseconds(100, 40, 2, 200),
                 2 * remainingMilliseconds(100, 40, 2, 100));
    }

    void speedModel()
    {
        QCOMPARE(periodForSpeed(0), 301u);
        QCOMPARE(periodForSpeed(10), 291u);
        QCOMPARE(periodForSpeed(-10), 291u);
        QCOMPARE(periodForSpeed(100), 201u);
        QCOMPARE(periodForSpeed(290), 11u);
        QCOMPARE(periodForSpeed(-300), 1u);
        QCOMPARE(clampSpeed(305), 300);
        QCOMPARE(clampSpeed(-305), -300);
        QCOMPARE(clampSpeed(-300), -300);
        QCOMPARE(periodForSpeed(100000), 1u);
    }
};

QTEST_APPLESS_MAIN(TimeFormatTest)
#include "tst_timeformat.moc"
