#include "prompttimer.h"
#include "scrollclock.h"
#include "tickclock.h"

#include <QSignalSpy>
#include <QTest>

#include <algorithm>

// Countdown checks use remainingTime() with wide margins: they test whether
// the countdown restarted, not how punctual the timer is.
class PromptTimerTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void startsOff_andTicksWhenEnabled()
    {
        PromptTimer timer(20);
        QSignalSpy ticks(&timer, &PromptTimer::timeout);
        QVERIFY(!timer.enabled());
        QCOMPARE(timer.remainingTime(), -1);
        QTest::qWait(60);
        QCOMPARE(ticks.count(), 0);
        timer.setEnabled(true);
        QVERIFY(ticks.wait(2000));
        timer.setEnabled(false);
        const int seen = int(ticks.count());
        QTest::qWait(60);
        QCOMPARE(int(ticks.count()), seen);
    }

    void unchangedValues_keepTheCountdown()
    {
        PromptTimer timer(2000);
        timer.setEnabled(true);
        QTest::qWait(600);
        timer.setEnabled(true);
        timer.setInterval(2000);
        QVERIFY2(timer.remainingTime() < 1700, "an unchanged setting restarted the countdown");
    }

    void changedPeriod_restartsTheCountdown()
    {
        PromptTimer timer(2000);
        timer.setEnabled(true);
        QTest::qWait(600);
        timer.setInterval(1990);
        QVERIFY2(timer.remainingTime() > 1700, "a new period did not restart the countdown");
    }

    void periodChangedWhileOff_isKeptAndUsedLater()
    {
        PromptTimer timer(300);
        timer.setInterval(50);
        QCOMPARE(timer.interval(), 50u);
        QCOMPARE(timer.remainingTime(), -1);
        timer.setEnabled(true);
        QVERIFY(timer.remainingTime() <= 50);
    }

    void hugePeriod_doesNotOverflow()
    {
        PromptTimer timer(4000000000u);
        timer.setEnabled(true);
        QVERIFY(timer.remainingTime() > 1000000);
    }

    // A script of steps on a clock that only moves when told: "on", "off",
    // "pN" sets the period, "+N" moves the clock N ms (negative: backwards),
    // "tN" takes the ticks due and expects N, "nN" expects N ms to the next tick.
    void tickClock_countsTheTicksDue_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::newRow("counted from the countdown's start") << "p10 on +25 t2 +4 t0 +1 t1 n10";
        QTest::newRow("off: nothing falls due") << "p10 +50 t0 n-1";
        QTest::newRow("unchanged values keep the countdown") << "p10 on +5 on p10 +5 t1";
        QTest::newRow("a new period restarts it") << "p10 on +15 t1 p20 +15 t0 +5 t1 n20";
        QTest::newRow("a new period on every tick") << "p10 on +10 t1 p11 +10 t0 p12 +11 t0 +1 t1";
        QTest::newRow("pause and resume: a new countdown")
            << "p10 on +15 t1 off +100 t0 n-1 on +9 t0 n1 +1 t1";
        QTest::newRow("1 ms at 60 Hz: a frame's ticks at once") << "p1 on +16 t16 +17 t17 +0 t0";
        QTest::newRow("wake from sleep: a second of ticks at most")
            << "p10 on +3600000 t100 +10 t1 +5 t0";
        QTest::newRow("long periods catch up by at least a tick") << "p4000 on +9000 t1 +1000 t0";
        QTest::newRow("clock going back counts afresh") << "p10 on +15 t1 +-100 t0 n10 +10 t1";
        QTest::newRow("longest stored period") << "p4000000000 on +1000 t0 n3999999000";
    }

    void tickClock_countsTheTicksDue()
    {
        QFETCH(QString, steps);
        qint64 now = 5'000'000'000;
        TickClock clock(300, [&now] { return now; });
        for (const QString &step : steps.split(QLatin1Char(' '))) {
            const qint64 n = step.mid(1).toLongLong();
            if (step == QStringLiteral("on") || step == QStringLiteral("off"))
                clock.setEnabled(step == QStringLiteral("on"));
            else if (step.startsWith(QLatin1Char('p')))
                clock.setInterval(unsigned(n));
            else if (step.startsWith(QLatin1Char('+')))
                now += n * 1'000'000;
            else if (step.startsWith(QLatin1Char('t')))
                QVERIFY2(clock.takeDueTicks() == n, qPrintable(step));
            else if (step.startsWith(QLatin1Char('n')))
                QVERIFY2(clock.untilNextTick() == (n < 0 ? -1 : n * 1'000'000), qPrintable(step));
        }
    }

    void scrollClock_wakesOnlyWhenSomethingIsDue()
    {
        qint64 now = 0;
        ScrollClock clock(1, [&now] { return now; });
        QSignalSpy ticks(&clock, &ScrollClock::ticks);
        QVERIFY(!clock.isWaking());
        clock.setFramesWanted(true);
        QVERIFY(clock.isWaking());
        clock.setFramesWanted(false);
        QVERIFY2(!clock.isWaking(), "paused, yet it wakes");
        clock.setEnabled(true);
        QVERIFY(clock.isWaking());
        // All the ticks due when it wakes come as one move.
        now += 50'000'000;
        QVERIFY(ticks.wait(2000));
        QCOMPARE(ticks.takeFirst().at(0).toInt(), 50);
        clock.setEnabled(false);
        QVERIFY(!clock.isWaking());
        QCOMPARE(clock.remainingTime(), -1);
    }

    void scrollClock_believesOnlyDisplayRates_data()
    {
        QTest::addColumn<qreal>("hertz");
        QTest::addColumn<qint64>("frameNs");
        QTest::newRow("none reported") << 0.0 << qint64(16'666'666);
        QTest::newRow("1 Hz") << 1.0 << qint64(16'666'666);
        QTest::newRow("1000 Hz") << 1000.0 << qint64(16'666'666);
        QTest::newRow("144 Hz") << 144.0 << qint64(6'944'444);
        QTest::newRow("360 Hz") << 360.0 << qint64(2'777'777);
        QTest::newRow("NaN") << qQNaN() << qint64(16'666'666);
        QTest::newRow("50 Hz") << 50.0 << qint64(20'000'000);
    }

    void scrollClock_believesOnlyDisplayRates()
    {
        QFETCH(qreal, hertz);
        QFETCH(qint64, frameNs);
        ScrollClock clock(10);
        clock.setRefreshRate(hertz);
        QCOMPARE(clock.frameInterval(), frameNs);
    }

    // Wakes driven by hand on a clock that only moves when told, each `late`
    // ms after it was due (the pattern repeats): the next wake is always at
    // least a frame after the last, and every frame moves by the same number
    // of ticks, give or take one, however late the timer woke.
    void scrollClock_wakesAtMostOnceAFrame_data()
    {
        QTest::addColumn<unsigned>("interval");
        QTest::addColumn<qreal>("hertz");
        QTest::addColumn<QList<int>>("late");
        QTest::newRow("1 ms at 60 Hz, on time") << 1u << 60.0 << QList<int>{0};
        QTest::newRow("1 ms at 60 Hz, 0-2 ms late") << 1u << 60.0 << QList<int>{0, 2, 1, 2, 0, 0};
        QTest::newRow("1 ms at 144 Hz, 2 ms late in turn") << 1u << 144.0 << QList<int>{2, 0};
        QTest::newRow("1 ms at 360 Hz") << 1u << 360.0 << QList<int>{0, 1};
        QTest::newRow("10 ms at 60 Hz, 2 ms late in turn") << 10u << 60.0 << QList<int>{0, 2};
    }

    void scrollClock_wakesAtMostOnceAFrame()
    {
        QFETCH(unsigned, interval);
        QFETCH(qreal, hertz);
        QFETCH(QList<int>, late);
        qint64 now = 5'000'000'000;
        ScrollClock clock(interval, [&now] { return now; });
        clock.setRefreshRate(hertz);
        QSignalSpy ticks(&clock, &ScrollClock::ticks);
        clock.setEnabled(true);
        const qint64 frame = clock.frameInterval();
        const qint64 tickNs = qint64(interval) * 1'000'000;
        const int fewest = int(frame / tickNs);
        const int most = int((frame + tickNs - 1) / tickNs);
        qint64 lastWake = 0;
        for (int i = 0; i < 120; ++i) {
            const qint64 due = clock.nextWake();
            const QByteArray at = "wake " + QByteArray::number(i);
            QVERIFY2(i == 0 || due - lastWake >= frame - 1,
                     QByteArray(at + " came within a frame of the last").constData());
            now = due + late.at(i % late.size()) * 1'000'000;
            clock.wake();
            const int count = ticks.isEmpty() ? 0 : ticks.takeFirst().at(0).toInt();
            QVERIFY2(ticks.isEmpty(), at.constData());
            if (i > 0)
                QVERIFY2(
                    count >= std::max(fewest, 1) && count <= std::max(most, 1),
                    QByteArray(at + " moved " + QByteArray::number(count) + " ticks").constData());
            lastWake = due;
        }
    }
};

QTEST_GUILESS_MAIN(PromptTimerTest)
#include "tst_prompttimer.moc"
