#include "followmotion.h"

#include <QTest>

#include <cmath>

class FollowMotionTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void approach_data()
    {
        QTest::addColumn<double>("distance");
        QTest::addColumn<double>("maxRate");
        QTest::addColumn<double>("frameMs");
        QTest::newRow("a line ahead at 60 Hz") << 40.0 << 3.0 << 16.7;
        QTest::newRow("a page ahead at 60 Hz") << 1200.0 << 3.0 << 16.7;
        QTest::newRow("far ahead, slow cap") << 5000.0 << 1.0 << 16.7;
        QTest::newRow("back to a re-read line") << -300.0 << 3.0 << 16.7;
        QTest::newRow("a line ahead at 144 Hz") << 40.0 << 3.0 << 6.9;
        QTest::newRow("late frames") << 800.0 << 2.0 << 120.0;
    }

    // The page reaches the target without a jump, never faster than the cap, never past it.
    void approach()
    {
        QFETCH(double, distance);
        QFETCH(double, maxRate);
        QFETCH(double, frameMs);
        FollowMotion motion;
        motion.reset(1000);
        motion.setTarget(1000 + distance);
        double previous = 1000;
        double previousStep = 0;
        double largestStep = 0;
        int frames = 0;
        for (; frames < 10000 && motion.position() != motion.target(); ++frames) {
            const double now = motion.advance(frameMs, maxRate);
            const double step = now - previous;
            // Late frames are capped, so no frame moves more than 50 ms at the top rate.
            QVERIFY(std::abs(step) <= maxRate * std::min(frameMs, 50.0) + 1e-9);
            // Never past the target, never away from it.
            QVERIFY(distance > 0 ? now <= motion.target() && step >= 0
                                 : now >= motion.target() && step <= 0);
            // The speed changes gently: from rest, one frame cannot reach the top rate.
            QVERIFY(std::abs(step - previousStep) <=
                    maxRate * std::pow(std::min(frameMs, 50.0), 2) / FollowMotion::rampMs + 1e-9);
            previous = now;
            previousStep = step;
            largestStep = std::max(largestStep, std::abs(step));
        }
        QCOMPARE(motion.position(), 1000 + distance);
        // Eases in and out: the last step is smaller than the largest.
        QVERIFY(frames > 2);
        QVERIFY(std::abs(previousStep) < largestStep);
    }

    void holdsStill_whenTheTargetStays()
    {
        FollowMotion motion;
        motion.reset(250);
        for (int i = 0; i < 100; ++i)
            QCOMPARE(motion.advance(16.7, 3), 250.0);
        // No time, or no rate, moves nothing.
        motion.setTarget(900);
        QCOMPARE(motion.advance(0, 3), 250.0);
        QCOMPARE(motion.advance(16.7, 0), 250.0);
    }

    void targetMovingBack_stopsWithoutOvershoot_data()
    {
        QTest::addColumn<double>("change");
        QTest::addColumn<double>("expected");
        // A target that moves back behind the page stops it where it is: no coasting, no
        // turning round in the same frame.
        QTest::newRow("target moves behind the page") << -10.0 << 0.0;
        // The page is moving at speed; a target just ahead is landed on, not passed.
        QTest::newRow("target moves back to just ahead") << 5.0 << 5.0;
        QTest::newRow("target moves back to the page") << 0.0 << 0.0;
    }

    // The page has gained speed towards a far target when the target changes to `change`
    // pixels from where the page is; `expected` is where the next frame leaves it.
    void targetMovingBack_stopsWithoutOvershoot()
    {
        QFETCH(double, change);
        QFETCH(double, expected);
        FollowMotion motion;
        motion.reset(0);
        motion.setTarget(2000);
        for (int i = 0; i < 30; ++i)
            motion.advance(16.7, 3);
        const double reached = motion.position();
        QVERIFY(reached > 100);
        motion.setTarget(reached + change);
        QCOMPARE(motion.advance(16.7, 3), reached + expected);
    }
};

QTEST_APPLESS_MAIN(FollowMotionTest)
#include "tst_followmotion.moc"
