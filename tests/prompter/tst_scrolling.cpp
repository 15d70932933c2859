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
    static void key(TForm1 &f, Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier)
    {
        QTest::keyClick(f.wb1, k, m);
    }
    static int maximum(TForm1 &f) { return f.wb1->verticalScrollBar()->maximum(); }

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
        TForm1 &f = p.form;
        f.CurrentSpeed = start;
        ScrollingTest::key(f, Qt::Key(key));
        QCOMPARE(f.CurrentSpeed, speed);
        QCOMPARE(f.Label1->text(), label);
        QCOMPARE(f.Timer1->enabled(), speed != 0);
        QCOMPARE(f.Timer1->interval(), period);
        QCOMPARE(f.slidera->value(), speed);
        QCOMPARE(f.ScrollForward, speed > 0);
        QCOMPARE(f.coarselabel->text(), QStringLiteral("Coarse: 1"));
    }

    void modifiersAreIgnored()
    {
        Prompter p;
        TForm1 &f = p.form;
        key(f, Qt::Key_W);
        key(f, Qt::Key_W, Qt::ShiftModifier);
        key(f, Qt::Key_W, Qt::ControlModifier);
        QTest::keyClick(f.wb1, 'w');
        QCOMPARE(f.CurrentSpeed, 40);
    }

    void reachingZero_pausesAndRestoresTheLogo()
    {
        Prompter p;
        TForm1 &f = p.form;
        f.CurrentSpeed = -10;
        f.adjustspeed();
        QVERIFY(f.Timer1->enabled());
        f.Image1->setPixmap(f.ImageList2.at(2));
        key(f, Qt::Key_W);
        QCOMPARE(f.Label1->text(), QStringLiteral("Paused..."));
        QVERIFY(!f.Timer1->enabled());
        // The slider's change ran dopause, which puts the upright logo back.
        QCOMPARE(f.Image1->pixmap().toImage(), f.ImageList2.at(0).toImage());
    }

    void zeroOnAZeroSlider_pausesWithoutDopause()
    {
        Prompter p;
        TForm1 &f = p.form;
        f.CurrentSpeed = 0;
        f.adjustspeed(); // the slider moves from 10 to 0 here
        f.Image1->setPixmap(f.ImageList2.at(2));
        f.adjustspeed();
        QCOMPARE(f.Label1->text(), QStringLiteral("Paused..."));
        QCOMPARE(f.Image1->pixmap().toImage(), f.ImageList2.at(2).toImage());
    }

    void pausedPrompter_resumesOnAnyNonZeroSpeed()
    {
        Prompter p;
        TForm1 &f = p.form;
        f.CurrentSpeed = 50;
        f.adjustspeed();
        f.dopause();
        QVERIFY(!f.Timer1->enabled());
        QCOMPARE(f.Label1->text(), QStringLiteral("Paused..."));
        f.adjustspeed();
        QVERIFY(f.Timer1->enabled());
        QCOMPARE(f.Label1->text(), QStringLiteral("Speed 50"));
        f.dopause();
        key(f, Qt::Key_W);
        QVERIFY(f.Timer1->enabled());
        QCOMPARE(f.CurrentSpeed, 60);
        f.dopause();
        f.CurrentSpeed = 300;
        key(f, Qt::Key_W);
        QVERIFY(f.Timer1->enabled());
        QCOMPARE(f.CurrentSpeed, 300);
    }

    void sameSpeed_keepsTheCountdown_changedSpeedRestartsIt()
    {
        // Wide margins: this checks whether the countdown restarted, not punctuality.
        Prompter p;
        TForm1 &f = p.form;
        f.CurrentSpeed = 10;
        f.adjustspeed();
        QTest::qWait(100);
        f.adjustspeed();
        QVERIFY2(f.Timer1->remainingTime() < 250, "an unchanged speed restarted the countdown");
        key(f, Qt::Key_W);
        QVERIFY2(f.Timer1->remainingTime() > 250, "a new speed kept the old countdown");
    }

    void q_afterStartUp_runsAtRestTowardsTheTop()
    {
        Prompter p;
        p.showScript(200);
        TForm1 &f = p.form;
        key(f, Qt::Key_Q);
        QVERIFY(f.Timer1->enabled());
        QCOMPARE(f.Timer1->interval(), 300u);
        QCOMPARE(f.Label1->text(), QStringLiteral("Speed 0"));
        QCOMPARE(f.CurrentSpeed, 0);
        f.Timer1Timer();
        QCOMPARE(f.wb1->scrollPosition(), 0);
        f.wb1->scrollTo(0, 50);
        f.Timer1Timer();
        QCOMPARE(f.wb1->scrollPosition(), 49);
        key(f, Qt::Key_Q);
        QVERIFY(!f.Timer1->enabled());
        QCOMPARE(f.Label1->text(), QStringLiteral("Paused..."));
        // E at 0 stops a timer that Q started.
        key(f, Qt::Key_Q);
        key(f, Qt::Key_E);
        QVERIFY(!f.Timer1->enabled());
    }

    void presses_toggleAndReverse()
    {
        Prompter p;
        p.showScript(50);
        TForm1 &f = p.form;
        QWidget *page = f.wb1->viewport();
        QTest::mouseClick(page, Qt::LeftButton, {}, QPoint(30, 30));
        QVERIFY(f.Timer1->enabled());
        QCOMPARE(f.Label1->text(), QStringLiteral("Speed 0"));
        QTest::mouseClick(page, Qt::LeftButton, {}, QPoint(30, 30));
        QVERIFY(!f.Timer1->enabled());
        QCOMPARE(f.Label1->text(), QStringLiteral("Paused..."));
        // A right press at 0 applies 0: the timer ends up off.
        QTest::mouseClick(page, Qt::LeftButton, {}, QPoint(30, 30));
        QTest::mouseClick(page, Qt::RightButton, {}, QPoint(30, 30));
        QVERIFY(!f.Timer1->enabled());
        f.CurrentSpeed = 40;
        f.adjustspeed();
        f.dopause();
        QTest::mouseClick(page, Qt::LeftButton, {}, QPoint(30, 30));
        QCOMPARE(f.Label1->text(), QStringLiteral("Speed 40"));
        QCOMPARE(f.Timer1->interval(), 261u);
        f.dopause();
        QTest::mouseClick(page, Qt::RightButton, {}, QPoint(30, 30));
        QCOMPARE(f.CurrentSpeed, -40);
        QVERIFY(f.Timer1->enabled());
        QVERIFY(!f.ScrollForward);
    }

    void tick_movesByTheStepAndRefreshesReadouts()
    {
        Prompter p;
        p.showScript(300);
        TForm1 &f = p.form;
        f.CurrentSpeed = 10;
        f.adjustspeed();
        f.speedmod->setValue(3);
        f.Timer1Timer();
        QCOMPARE(f.wb1->scrollPosition(), 3);
        QCOMPARE(f.timespentlabel->text(), QStringLiteral("Elapsed: 00:00:00:29"));
        const int left = 291 * ((f.DocumentLength - 3) / 3);
        QVERIFY(f.timeleftlabel->text().startsWith(QStringLiteral("Remaining: ")));
        QCOMPARE(f.timeleftlabel->text(), QStringLiteral("Remaining: ") + formatDuration(left));
        // Pausing and resetting leave the readouts alone.
        const QString spent = f.timespentlabel->text();
        f.doreset();
        QCOMPARE(f.wb1->scrollPosition(), 0);
        QCOMPARE(f.timespentlabel->text(), spent);
        QCOMPARE(f.Label1->text(), QStringLiteral("Paused..."));
        QCOMPARE(f.CurrentSpeed, 10);
    }

    void bottom_holdsWhileTicking_andReversingMovesUpAtOnce()
    {
        Prompter p;
        p.showScript(300);
        TForm1 &f = p.form;
        QCOMPARE(f.DocumentLength, maximum(f));
        QVERIFY(f.DocumentLength > 0);
        f.CurrentSpeed = 100;
        f.adjustspeed();
        f.speedmod->setValue(5);
        f.wb1->scrollTo(0, maximum(f) - 2);
        for (int i = 0; i < 5; ++i)
            f.Timer1Timer();
        QCOMPARE(f.wb1->scrollPosition(), maximum(f));
        QCOMPARE(f.timeleftlabel->text(), QStringLiteral("Remaining: 00:00:00:00"));
        key(f, Qt::Key_E);
        f.Timer1Timer();
        QCOMPARE(f.wb1->scrollPosition(), maximum(f) - 5);
    }

    void pageComplete_measuresLengthAndShowsRemainingFromTheBottom()
    {
        Prompter p;
        TForm1 &f = p.form;
        f.CurrentSpeed = 10;
        f.adjustspeed();
        p.showScript(300);
        QCOMPARE(f.DocumentLength, maximum(f));
        QCOMPARE(f.timeleftlabel->text(), QStringLiteral("Remaining: 00:00:00:00"));
        QCOMPARE(f.wb1->scrollPosition(), 0);
        QVERIFY(f.Timer1->enabled()); // completion neither pauses nor resumes
        f.timeleftlabel->clear();
        f.CurrentSpeed = 0;
        f.adjustspeed();
        p.showScript(10);
        QVERIFY(f.timeleftlabel->text().isEmpty());
    }

    void f_resetsAndPauses_andResumeKeepsSpeedAndDirection()
    {
        Prompter p;
        p.showScript(200);
        TForm1 &f = p.form;
        f.CurrentSpeed = -60;
        f.adjustspeed();
        f.wb1->scrollTo(0, 400);
        key(f, Qt::Key_F);
        QCOMPARE(f.wb1->scrollPosition(), 0);
        QVERIFY(!f.Timer1->enabled());
        QCOMPARE(f.CurrentSpeed, -60);
        key(f, Qt::Key_Q);
        QVERIFY(f.Timer1->enabled());
        QCOMPARE(f.Label1->text(), QStringLiteral("Speed -60"));
        QVERIFY(!f.ScrollForward);
    }

    void queueKeysWithEmptyQueue_leaveAPausedSpeedRunning()
    {
        Prompter p;
        TForm1 &f = p.form;
        f.CurrentSpeed = 30;
        f.adjustspeed();
        f.dopause();
        key(f, Qt::Key_D);
        QVERIFY(f.Timer1->enabled());
        f.dopause();
        key(f, Qt::Key_A);
        QVERIFY(f.Timer1->enabled());
        QCOMPARE(f.Label1->text(), QStringLiteral("Speed 30"));
    }

    void spaceWhilePaused_resumesAndStillScrollsThePage()
    {
        Prompter p;
        p.showScript(300);
        TForm1 &f = p.form;
        f.CurrentSpeed = 50;
        f.adjustspeed();
        f.dopause();
        key(f, Qt::Key_Space);
        QVERIFY(f.Timer1->enabled());
        QVERIFY(f.wb1->scrollPosition() > 0);
    }

    void keyStormsAndPressesWhileLoading_stayInRange()
    {
        Prompter p;
        p.showScript(500);
        TForm1 &f = p.form;
        QRandomGenerator random(20261209);
        const QList<int> keys = {
            Qt::Key_Q,  Qt::Key_W,       Qt::Key_S,  Qt::Key_E,        Qt::Key_A,
            Qt::Key_D,  Qt::Key_F,       Qt::Key_Up, Qt::Key_PageDown, Qt::Key_Space,
            0x01000100, Qt::Key_unknown, 0};
        for (int i = 0; i < 300; ++i) {
            if (i % 50 == 0)
                f.reloadwb(); // presses and keys land while the page loads
            const int k = keys.at(random.bounded(int(keys.size())));
            QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier, QString(), true);
            QApplication::sendEvent(f.wb1, &press);
            if (i % 7 == 0)
                QTest::mouseClick(f.wb1->viewport(),
                                  random.bounded(2) ? Qt::LeftButton : Qt::RightButton);
            if (i % 11 == 0)
                f.speedmod->setValue(random.bounded(-5, 20));
            QVERIFY(f.CurrentSpeed >= -300 && f.CurrentSpeed <= 300);
            QVERIFY(f.speedmod->value() >= 1 && f.speedmod->value() <= 10);
        }
        // Held W: auto-repeat to the top speed and no further.
        for (int i = 0; i < 300; ++i) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_W, Qt::NoModifier, QStringLiteral("w"), true);
            QApplication::sendEvent(f.wb1, &press);
        }
        QCOMPARE(f.CurrentSpeed, 300);
        QCOMPARE(f.Timer1->interval(), 1u);
    }
};

QTEST_MAIN(ScrollingTest)
#include "tst_scrolling.moc"
