#include "prompterfixture.h"

#include "prompttimer.h"
#include "timeformat.h"

#include <QLabel>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QSlider>

// The speed model, the tick and the keys and presses that drive them.
class ScrollingTest : public QObject
{
    Q_OBJECT

private:
    static void key(PrompterWindow &f, Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier)
    {
        QTest::keyClick(f.page, k, m);
    }
    static int maximum(PrompterWindow &f) { return f.page->verticalScrollBar()->maximum(); }

private Q_SLOTS:
    void speedKeys_clampAndLabel_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("speed");
        QTest::addColumn<QString>("label");
        QTest::addColumn<uint>("period");
        QTest::newRow("W from 0") << 0 << int(Qt::Key_W) << 10 << "Speed 10" << 291u;
        QTest::newRow("W from 295") << 295 << int(Qt::Key_W) << 300 << "Speed 300" << 1u;
        QTest::newRow("W at 300") << 300 << int(Qt::Key_W) << 300 << "Speed 300" << 1u;
        QTest::newRow("S from -295") << -295 << int(Qt::Key_S) << -300 << "Speed -300" << 1u;
        QTest::newRow("S at -300") << -300 << int(Qt::Key_S) << -300 << "Speed -300" << 1u;
        QTest::newRow("S from 10") << 10 << int(Qt::Key_S) << 0 << "Paused..." << 301u;
        QTest::newRow("W from -10") << -10 << int(Qt::Key_W) << 0 << "Paused..." << 301u;
        QTest::newRow("E from 40") << 40 << int(Qt::Key_E) << -40 << "Speed -40" << 261u;
        QTest::newRow("E at 0") << 0 << int(Qt::Key_E) << 0 << "Paused..." << 301u;
        QTest::newRow("other key") << 50 << int(Qt::Key_X) << 50 << "Speed 50" << 251u;
        QTest::newRow("space") << 50 << int(Qt::Key_Space) << 50 << "Speed 50" << 251u;
    }

    void speedKeys_clampAndLabel()
    {
        QFETCH(int, start);
        QFETCH(int, key);
        QFETCH(int, speed);
        QFETCH(QString, label);
        QFETCH(uint, period);
        Prompter p;
        PrompterWindow &f = p.form;
        f.m_currentSpeed = start;
        ScrollingTest::key(f, Qt::Key(key));
        QCOMPARE(f.m_currentSpeed, speed);
        QCOMPARE(f.speedLabel->text(), label);
        QCOMPARE(f.scrollTimer->enabled(), speed != 0);
        QCOMPARE(f.scrollTimer->interval(), period);
        QCOMPARE(f.speedSlider->value(), speed);
        QCOMPARE(f.m_scrollForward, speed > 0);
        QCOMPARE(f.stepLabel->text(), QStringLiteral("Coarse: 1"));
    }

    void modifiersAreIgnored()
    {
        Prompter p;
        PrompterWindow &f = p.form;
        key(f, Qt::Key_W);
        key(f, Qt::Key_W, Qt::ShiftModifier);
        key(f, Qt::Key_W, Qt::ControlModifier);
        QTest::keyClick(f.page, 'w');
        QCOMPARE(f.m_currentSpeed, 40);
    }

    void reachingZero_pausesAndRestoresTheLogo()
    {
        Prompter p;
        PrompterWindow &f = p.form;
        f.m_currentSpeed = -10;
        f.applySpeed();
        QVERIFY(f.scrollTimer->enabled());
        f.logo->setPixmap(f.m_logoPictures.at(2));
        key(f, Qt::Key_W);
        QCOMPARE(f.speedLabel->text(), QStringLiteral("Paused..."));
        QVERIFY(!f.scrollTimer->enabled());
        // The slider's change ran pause, which puts the upright logo back.
        QCOMPARE(f.logo->pixmap().toImage(), f.m_logoPictures.at(0).toImage());
    }

    void zeroOnAZeroSlider_pausesWithoutDopause()
    {
        Prompter p;
        PrompterWindow &f = p.form;
        f.m_currentSpeed = 0;
        f.applySpeed(); // the slider moves from 10 to 0 here
        f.logo->setPixmap(f.m_logoPictures.at(2));
        f.applySpeed();
        QCOMPARE(f.speedLabel->text(), QStringLiteral("Paused..."));
        QCOMPARE(f.logo->pixmap().toImage(), f.m_logoPictures.at(2).toImage());
    }

    void pausedPrompter_resumesOnAnyNonZeroSpeed()
    {
        Prompter p;
        PrompterWindow &f = p.form;
        f.m_currentSpeed = 50;
        f.applySpeed();
        f.pause();
        QVERIFY(!f.scrollTimer->enabled());
        QCOMPARE(f.speedLabel->text(), QStringLiteral("Paused..."));
        f.applySpeed();
        QVERIFY(f.scrollTimer->enabled());
        QCOMPARE(f.speedLabel->text(), QStringLiteral("Speed 50"));
        f.pause();
        key(f, Qt::Key_W);
        QVERIFY(f.scrollTimer->enabled());
        QCOMPARE(f.m_currentSpeed, 60);
        f.pause();
        f.m_currentSpeed = 300;
        key(f, Qt::Key_W);
        QVERIFY(f.scrollTimer->enabled());
        QCOMPARE(f.m_currentSpeed, 300);
    }

    void sameSpeed_keepsTheCountdown_changedSpeedRestartsIt()
    {
        // Wide margins: this checks whether the countdown restarted, not punctuality.
        Prompter p;
        PrompterWindow &f = p.form;
        f.m_currentSpeed = 10;
        f.applySpeed();
        QTest::qWait(100);
        f.applySpeed();
        QVERIFY2(f.scrollTimer->remainingTime() < 250,
                 "an unchanged speed restarted the countdown");
        key(f, Qt::Key_W);
        QVERIFY2(f.scrollTimer->remainingTime() > 250, "a new speed kept the old countdown");
    }

    void q_afterStartUp_runsAtRestTowardsTheTop()
    {
        Prompter p;
        p.showScript(200);
        PrompterWindow &f = p.form;
        key(f, Qt::Key_Q);
        QVERIFY(f.scrollTimer->enabled());
        QCOMPARE(f.scrollTimer->interval(), 300u);
        QCOMPARE(f.speedLabel->text(), QStringLiteral("Speed 0"));
        QCOMPARE(f.m_currentSpeed, 0);
        f.onScrollTick();
        QCOMPARE(f.page->scrollPosition(), 0);
        f.page->scrollTo(0, 50);
        f.onScrollTick();
        QCOMPARE(f.page->scrollPosition(), 49);
        key(f, Qt::Key_Q);
        QVERIFY(!f.scrollTimer->enabled());
        QCOMPARE(f.speedLabel->text(), QStringLiteral("Paused..."));
        // E at 0 stops a timer that Q started.
        key(f, Qt::Key_Q);
        key(f, Qt::Key_E);
        QVERIFY(!f.scrollTimer->enabled());
    }

    void presses_toggleAndReverse()
    {
        Prompter p;
        p.showScript(50);
        PrompterWindow &f = p.form;
        QWidget *page = f.page->viewport();
        QTest::mouseClick(page, Qt::LeftButton, {}, QPoint(30, 30));
        QVERIFY(f.scrollTimer->enabled());
        QCOMPARE(f.speedLabel->text(), QStringLiteral("Speed 0"));
        QTest::mouseClick(page, Qt::LeftButton, {}, QPoint(30, 30));
        QVERIFY(!f.scrollTimer->enabled());
        QCOMPARE(f.speedLabel->text(), QStringLiteral("Paused..."));
        // A right press at 0 applies 0: the timer ends up off.
        QTest::mouseClick(page, Qt::LeftButton, {}, QPoint(30, 30));
        QTest::mouseClick(page, Qt::RightButton, {}, QPoint(30, 30));
        QVERIFY(!f.scrollTimer->enabled());
        f.m_currentSpeed = 40;
        f.applySpeed();
        f.pause();
        QTest::mouseClick(page, Qt::LeftButton, {}, QPoint(30, 30));
        QCOMPARE(f.speedLabel->text(), QStringLiteral("Speed 40"));
        QCOMPARE(f.scrollTimer->interval(), 261u);
        f.pause();
        QTest::mouseClick(page, Qt::RightButton, {}, QPoint(30, 30));
        QCOMPARE(f.m_currentSpeed, -40);
        QVERIFY(f.scrollTimer->enabled());
        QVERIFY(!f.m_scrollForward);
    }

    void tick_movesByTheStepAndRefreshesReadouts()
    {
        Prompter p;
        p.showScript(300);
        PrompterWindow &f = p.form;
        f.m_currentSpeed = 10;
        f.applySpeed();
        f.stepSlider->setValue(3);
        f.onScrollTick();
        QCOMPARE(f.page->scrollPosition(), 3);
        QCOMPARE(f.elapsedLabel->text(), QStringLiteral("Elapsed: 00:00:00:29"));
        const int left = 291 * ((f.m_documentLength - 3) / 3);
        QVERIFY(f.remainingLabel->text().startsWith(QStringLiteral("Remaining: ")));
        QCOMPARE(f.remainingLabel->text(), QStringLiteral("Remaining: ") + formatDuration(left));
        // Pausing and resetting leave the readouts alone.
        const QString spent = f.elapsedLabel->text();
        f.rewindAndPause();
        QCOMPARE(f.page->scrollPosition(), 0);
        QCOMPARE(f.elapsedLabel->text(), spent);
        QCOMPARE(f.speedLabel->text(), QStringLiteral("Paused..."));
        QCOMPARE(f.m_currentSpeed, 10);
    }

    void bottom_holdsWhileTicking_andReversingMovesUpAtOnce()
    {
        Prompter p;
        p.showScript(300);
        PrompterWindow &f = p.form;
        QCOMPARE(f.m_documentLength, maximum(f));
        QVERIFY(f.m_documentLength > 0);
        f.m_currentSpeed = 100;
        f.applySpeed();
        f.stepSlider->setValue(5);
        f.page->scrollTo(0, maximum(f) - 2);
        for (int i = 0; i < 5; ++i)
            f.onScrollTick();
        QCOMPARE(f.page->scrollPosition(), maximum(f));
        QCOMPARE(f.remainingLabel->text(), QStringLiteral("Remaining: 00:00:00:00"));
        key(f, Qt::Key_E);
        f.onScrollTick();
        QCOMPARE(f.page->scrollPosition(), maximum(f) - 5);
    }

    void pageComplete_measuresLengthAndShowsRemainingFromTheBottom()
    {
        Prompter p;
        PrompterWindow &f = p.form;
        f.m_currentSpeed = 10;
        f.applySpeed();
        p.showScript(300);
        QCOMPARE(f.m_documentLength, maximum(f));
        QCOMPARE(f.remainingLabel->text(), QStringLiteral("Remaining: 00:00:00:00"));
        QCOMPARE(f.page->scrollPosition(), 0);
        QVERIFY(f.scrollTimer->enabled()); // completion neither pauses nor resumes
        f.remainingLabel->clear();
        f.m_currentSpeed = 0;
        f.applySpeed();
        p.showScript(10);
        QVERIFY(f.remainingLabel->text().isEmpty());
    }

    void f_resetsAndPauses_andResumeKeepsSpeedAndDirection()
    {
        Prompter p;
        p.showScript(200);
        PrompterWindow &f = p.form;
        f.m_currentSpeed = -60;
        f.applySpeed();
        f.page->scrollTo(0, 400);
        key(f, Qt::Key_F);
        QCOMPARE(f.page->scrollPosition(), 0);
        QVERIFY(!f.scrollTimer->enabled());
        QCOMPARE(f.m_currentSpeed, -60);
        key(f, Qt::Key_Q);
        QVERIFY(f.scrollTimer->enabled());
        QCOMPARE(f.speedLabel->text(), QStringLiteral("Speed -60"));
        QVERIFY(!f.m_scrollForward);
    }

    void queueKeysWithEmptyQueue_leaveAPausedSpeedRunning()
    {
        Prompter p;
        PrompterWindow &f = p.form;
        f.m_currentSpeed = 30;
        f.applySpeed();
        f.pause();
        key(f, Qt::Key_D);
        QVERIFY(f.scrollTimer->enabled());
        f.pause();
        key(f, Qt::Key_A);
        QVERIFY(f.scrollTimer->enabled());
        QCOMPARE(f.speedLabel->text(), QStringLiteral("Speed 30"));
    }

    void spaceWhilePaused_resumesAndStillScrollsThePage()
    {
        Prompter p;
        p.showScript(300);
        PrompterWindow &f = p.form;
        f.m_currentSpeed = 50;
        f.applySpeed();
        f.pause();
        key(f, Qt::Key_Space);
        QVERIFY(f.scrollTimer->enabled());
        QVERIFY(f.page->scrollPosition() > 0);
    }

    void keyStormsAndPressesWhileLoading_stayInRange()
    {
        Prompter p;
        p.showScript(500);
        PrompterWindow &f = p.form;
        QRandomGenerator random(20261209);
        const QList<int> keys = {
            Qt::Key_Q,  Qt::Key_W,       Qt::Key_S,  Qt::Key_E,        Qt::Key_A,
            Qt::Key_D,  Qt::Key_F,       Qt::Key_Up, Qt::Key_PageDown, Qt::Key_Space,
            0x01000100, Qt::Key_unknown, 0};
        for (int i = 0; i < 300; ++i) {
            if (i % 50 == 0)
                f.rebuildPage(); // presses and keys land while the page loads
            const int k = keys.at(random.bounded(int(keys.size())));
            QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier, QString(), true);
            QApplication::sendEvent(f.page, &press);
            if (i % 7 == 0)
                QTest::mouseClick(f.page->viewport(),
                                  random.bounded(2) ? Qt::LeftButton : Qt::RightButton);
            if (i % 11 == 0)
                f.stepSlider->setValue(random.bounded(-5, 20));
            QVERIFY(f.m_currentSpeed >= -300 && f.m_currentSpeed <= 300);
            QVERIFY(f.stepSlider->value() >= 1 && f.stepSlider->value() <= 10);
        }
        // Held W: auto-repeat to the top speed and no further.
        for (int i = 0; i < 300; ++i) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_W, Qt::NoModifier, QStringLiteral("w"), true);
            QApplication::sendEvent(f.page, &press);
        }
        QCOMPARE(f.m_currentSpeed, 300);
        QCOMPARE(f.scrollTimer->interval(), 1u);
    }
};

QTEST_MAIN(ScrollingTest)
#include "tst_scrolling.moc"
