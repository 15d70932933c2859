#include "timefit.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace timefit;

Q_DECLARE_METATYPE(FitResult::Outcome)

class TimeFitTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("ms"); // -1: refused
        QTest::addColumn<QString>("error");
        QTest::newRow("m:ss") << u"4:30"_s << qint64(270000) << QString();
        QTest::newRow("blanks around") << u"  0:05 "_s << qint64(5000) << QString();
        QTest::newRow("minutes past an hour") << u"90:00"_s << qint64(5400000) << QString();
        QTest::newRow("h:mm:ss") << u"1:02:03"_s << qint64(3723000) << QString();
        QTest::newRow("the longest") << u"99:59:59"_s << qint64(359999000) << QString();
        QTest::newRow("zero") << u"0:00"_s << qint64(-1) << u"The time must be longer than 0:00."_s;
        QTest::newRow("zero with hours")
            << u"0:00:00"_s << qint64(-1) << u"The time must be longer than 0:00."_s;
        QTest::newRow("99:99:99") << u"99:99:99"_s << qint64(-1)
                                  << u"Minutes and seconds go up to 59."_s;
        QTest::newRow("seconds past 59")
            << u"4:75"_s << qint64(-1) << u"Minutes and seconds go up to 59."_s;
        QTest::newRow("past the longest")
            << u"9999:00"_s << qint64(-1) << u"The longest time is 99:59:59."_s;
        QTest::newRow("negative") << u"-1:00"_s << qint64(-1) << u"A time cannot be negative."_s;
        QTest::newRow("minus sign")
            << u"\u22121:00"_s << qint64(-1) << u"A time cannot be negative."_s;
        const QString shape = u"Type the time as m:ss or h:mm:ss, such as 4:30."_s;
        QTest::newRow("text") << u"five minutes"_s << qint64(-1) << shape;
        QTest::newRow("empty") << QString() << qint64(-1) << shape;
        QTest::newRow("one digit of seconds") << u"4:5"_s << qint64(-1) << shape;
        QTest::newRow("seconds alone") << u"45"_s << qint64(-1) << shape;
        QTest::newRow("four parts") << u"1:00:00:00"_s << qint64(-1) << shape;
        QTest::newRow("non-Latin digits") << u"\u0664:\u0663\u0660"_s << qint64(-1) << shape;
    }

    void parse()
    {
        QFETCH(QString, text);
        QFETCH(qint64, ms);
        QFETCH(QString, error);
        const Duration duration = parseDuration(text);
        QCOMPARE(duration.error, error);
        if (ms >= 0)
            QCOMPARE(duration.ms, ms);
        QCOMPARE(duration.ok(), ms >= 0);
    }

    // pixels, words, target, Coarse now, scope → outcome, speed, Coarse, time, message.
    void fit_data()
    {
        QTest::addColumn<qint64>("pixels");
        QTest::addColumn<qint64>("words");
        QTest::addColumn<qint64>("targetMs");
        QTest::addColumn<int>("step");
        QTest::addColumn<bool>("section");
        QTest::addColumn<FitResult::Outcome>("outcome");
        QTest::addColumn<int>("speed");
        QTest::addColumn<int>("fittedStep");
        QTest::addColumn<qint64>("timeMs");
        QTest::addColumn<QString>("message");
        using O = FitResult::Outcome;
        // 20,000 px at Coarse 1: 20,000 ticks of 15 ms make 5:00.
        QTest::newRow("speed alone")
            << qint64(20000) << qint64(700) << qint64(300000) << 1 << false << O::Fitted << 286 << 1
            << qint64(300000) << u"Set speed 286: 5:00 for the rest of the script."_s;
        // Keeps the operator's Coarse 4 when it is close enough: 5,000 ticks of 60 ms.
        QTest::newRow("keeps Coarse")
            << qint64(20000) << qint64(700) << qint64(300000) << 4 << false << O::Fitted << 241 << 4
            << qint64(300000) << u"Set speed 241: 5:00 for the rest of the script."_s;
        // 30 s for 20,000 px is 1.5 ms a tick at Coarse 1, which no speed
        // gives; Coarse 2 makes it 3 ms, the nearest Coarse that fits.
        QTest::newRow("needs a larger Coarse")
            << qint64(20000) << qint64(700) << qint64(30000) << 1 << false << O::Fitted << 298 << 2
            << qint64(30000) << u"Set speed 298 with Coarse 2: 0:30 for the rest of the script."_s;
        // An hour for 2,000 px would need 1.8 s a tick; speed 1 at Coarse 1 is the slowest.
        QTest::newRow("too long: the slowest")
            << qint64(2000) << qint64(70) << qint64(3600000) << 5 << false << O::Nearest << 1 << 1
            << qint64(600000)
            << u"1:00:00 cannot be reached for the rest of the script: the longest is 10:00, at "
               "speed 1 with Coarse 1."_s;
        QTest::newRow("too short: the fastest")
            << qint64(100000) << qint64(4000) << qint64(5000) << 3 << false << O::Nearest << 300
            << 10 << qint64(10000)
            << u"0:05 cannot be reached for the rest of the script: the shortest is 0:10, at "
               "speed 300 with Coarse 10."_s;
        QTest::newRow("section target")
            << qint64(3000) << qint64(120) << qint64(60000) << 2 << true << O::Fitted << 261 << 2
            << qint64(60000) << u"Set speed 261: 1:00 for the rest of the section."_s;
        QTest::newRow("no words") << qint64(3000) << qint64(0) << qint64(60000) << 2 << false
                                  << O::Cannot << 0 << 0 << qint64(0)
                                  << u"There are no words in the rest of the script to fit to a "
                                     "time."_s;
        QTest::newRow("nothing left to scroll")
            << qint64(0) << qint64(10) << qint64(60000) << 2 << true << O::Cannot << 0 << 0
            << qint64(0) << u"Nothing is left to scroll in the rest of the section."_s;
    }

    void fit()
    {
        QFETCH(qint64, pixels);
        QFETCH(qint64, words);
        QFETCH(qint64, targetMs);
        QFETCH(int, step);
        QFETCH(bool, section);
        QFETCH(FitResult::Outcome, outcome);
        QFETCH(int, speed);
        QFETCH(int, fittedStep);
        QFETCH(qint64, timeMs);
        QFETCH(QString, message);
        const FitResult result = fitToTime(
            {pixels, words, targetMs, step, section ? Scope::RestOfSection : Scope::RestOfScript});
        QCOMPARE(result.message, message);
        QCOMPARE(result.outcome, outcome);
        QCOMPARE(result.speed, speed);
        QCOMPARE(result.step, fittedStep);
        QCOMPARE(result.timeMs, timeMs);
        if (outcome != FitResult::Outcome::Cannot)
            QCOMPARE(scrollTimeMs(pixels, speed, fittedStep), timeMs);
    }

    // Every target between the fastest and the slowest fits, as near as a
    // whole millisecond of period allows (half a millisecond a tick), and
    // within 1 % once a tick takes 50 ms or more.
    void fitWithinTolerance()
    {
        const qint64 pixels = 60000;
        for (qint64 target = 6000; target <= 18000000; target += 7919) {
            const FitResult result = fitToTime({pixels, 2000, target, 1, Scope::RestOfScript});
            QCOMPARE(result.outcome, FitResult::Outcome::Fitted);
            const qint64 ticks = (pixels + result.step - 1) / result.step;
            const qint64 miss = qAbs(result.timeMs - target);
            QVERIFY2(miss * 2 <= ticks, qPrintable(result.message));
            if (target >= 50 * pixels)
                QVERIFY2(miss <= target / 100, qPrintable(result.message));
        }
    }

    void wordsPerMinute_data()
    {
        QTest::addColumn<qint64>("words");
        QTest::addColumn<qint64>("pixels");
        QTest::addColumn<int>("speed");
        QTest::addColumn<int>("step");
        QTest::addColumn<double>("wpm");
        // 600 ticks of 100 ms: a minute.
        QTest::newRow("a minute") << qint64(150) << qint64(600) << 201 << 1 << 150.0;
        QTest::newRow("backwards reads as fast")
            << qint64(150) << qint64(600) << -201 << 1 << 150.0;
        QTest::newRow("Coarse 2 doubles it") << qint64(150) << qint64(600) << 201 << 2 << 300.0;
        QTest::newRow("paused") << qint64(150) << qint64(6000) << 0 << 1 << 0.0;
        QTest::newRow("no words") << qint64(0) << qint64(6000) << 100 << 1 << 0.0;
    }

    void wordsPerMinute()
    {
        QFETCH(qint64, words);
        QFETCH(qint64, pixels);
        QFETCH(int, speed);
        QFETCH(int, step);
        QFETCH(double, wpm);
        QCOMPARE(timefit::wordsPerMinute(words, pixels, speed, step), wpm);
    }

    void countWords_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<qint64>("words");
        QTest::newRow("words and blanks")
            << QStringList{u"Good  evening,\tall."_s, u""_s, u" one"_s} << qint64(4);
        QTest::newRow("dashes and bullets are no words")
            << QStringList{u"• First – then 2nd"_s, u"# Intro"_s} << qint64(4);
        QTest::newRow("none") << QStringList{u"  "_s, u"--- ..."_s} << qint64(0);
    }

    void countWords()
    {
        QFETCH(QStringList, lines);
        QFETCH(qint64, words);
        QCOMPARE(timefit::countWords(lines, 0, lines.size()), words);
        QCOMPARE(timefit::countWords(lines, 1, 1), qint64(0));
    }
};

QTEST_GUILESS_MAIN(TimeFitTest)
#include "tst_timefit.moc"
