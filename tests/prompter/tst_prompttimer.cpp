#include "prompttimer.h"

#include <QSignalSpy>
#include <QTest>

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
};

QTEST_GUILESS_MAIN(PromptTimerTest)
#include "tst_prompttimer.moc"
