#include "countdown.h"

#include <QTest>

namespace {

constexpr qint64 kMs = 1'000'000;

} // namespace

Q_DECLARE_METATYPE(Countdown::Step)

class CountdownTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Frames at the given times (ms after the start); what each frame shows:
    // the digit, 0 for "go", -1 for nothing.
    void frames_data()
    {
        QTest::addColumn<int>("seconds");
        QTest::addColumn<int>("speed");
        QTest::addColumn<QList<int>>("frameTimes");
        QTest::addColumn<QList<int>>("shown");
        QTest::addColumn<int>("cancelAfter"); // frames before a pause control; -1 none
        QTest::addColumn<bool>("restart");    // a start after the cancel

        const QList<int> everyThird{0, 16, 333, 999, 1000, 1016, 1999, 2000, 2984, 3000, 3016};
        QTest::newRow("3, 2, 1, go") << 3 << 100 << everyThird
                                     << QList<int>{3, 3, 3, 3, 2, 2, 2, 1, 1, 0, -1} << -1 << false;
        QTest::newRow("backwards counts too")
            << 3 << -40 << QList<int>{0, 1000, 2000, 3000} << QList<int>{3, 2, 1, 0} << -1 << false;
        // Two digits from the first frame on.
        QTest::newRow("thirty") << 30 << 10 << QList<int>{0, 500, 20000, 21000, 29999, 30000}
                                << QList<int>{30, 30, 10, 9, 1, 0} << -1 << false;
        // A late frame (the machine was busy) shows the digit of its time.
        QTest::newRow("a frame lost") << 10 << 10 << QList<int>{0, 2500, 9100, 10200}
                                      << QList<int>{10, 8, 1, 0} << -1 << false;
        QTest::newRow("speed 0: no countdown")
            << 3 << 0 << QList<int>{0, 1000, 3000} << QList<int>{-1, -1, -1} << -1 << false;
        QTest::newRow("off") << 0 << 50 << QList<int>{0, 1000} << QList<int>{-1, -1} << -1 << false;
        QTest::newRow("past 30") << 31 << 50 << QList<int>{0, 1000} << QList<int>{-1, -1} << -1
                                 << false;
        QTest::newRow("cancelled: stays still") << 5 << 50 << QList<int>{0, 1200, 2000, 5000, 6000}
                                                << QList<int>{5, 4, -1, -1, -1} << 2 << false;
        // The restart counts all of it again from the cancel's time.
        QTest::newRow("cancelled and started again")
            << 3 << 50 << QList<int>{0, 1500, 1500, 2600, 3500, 4499, 4500}
            << QList<int>{3, 2, 3, 2, 1, 1, 0} << 2 << true;
    }

    void frames()
    {
        QFETCH(int, seconds);
        QFETCH(int, speed);
        QFETCH(QList<int>, frameTimes);
        QFETCH(QList<int>, shown);
        QFETCH(int, cancelAfter);
        QFETCH(bool, restart);
        Countdown countdown;
        const qint64 origin = 7 * 1000 * kMs; // the clock never starts at zero
        const bool started = countdown.start(seconds, speed, origin);
        QCOMPARE(started, shown.constFirst() >= 0);
        QCOMPARE(countdown.running(), started);
        for (qsizetype i = 0; i < frameTimes.size(); ++i) {
            const qint64 now = origin + frameTimes.at(i) * kMs;
            if (i == cancelAfter) {
                countdown.cancel();
                QVERIFY(!countdown.running());
                QCOMPARE(countdown.nextChange(), qint64(-1));
                if (restart)
                    QVERIFY(countdown.start(seconds, speed, now));
            }
            const int before = countdown.digit();
            const Countdown::Step step = countdown.advance(now);
            const int expected = shown.at(i);
            if (expected < 0) {
                QCOMPARE(step, Countdown::Step::Idle);
            } else if (expected == 0) {
                QCOMPARE(step, Countdown::Step::Finished);
                QVERIFY(!countdown.running());
            } else {
                QCOMPARE(countdown.digit(), expected);
                QCOMPARE(step,
                         before == expected ? Countdown::Step::Same : Countdown::Step::Changed);
                // The next change is due at the next whole second of the count.
                QVERIFY(countdown.nextChange() > now);
                QVERIFY(countdown.nextChange() <= now + 1000 * kMs);
            }
        }
    }
};

QTEST_GUILESS_MAIN(CountdownTest)
#include "tst_countdown.moc"
