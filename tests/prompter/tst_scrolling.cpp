#include "prompterfixture.h"

#include "artwork.h"
#include "keysdialog.h"
#include "optionsdialog.h"
#include "scrollclock.h"
#include "timeformat.h"

#include <QLabel>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QSlider>

#include <limits>

// The speed model, the tick and the keys and presses that drive them.
class ScrollingTest : public QObject
{
    Q_OBJECT

private:
    static int maximum(PrompterWindow &f) { return page(f)->verticalScrollBar()->maximum(); }
    // The controls these tests watch.
    struct Controls
    {
        explicit Controls(PrompterWindow &f)
            : speedLabel(widget<QLabel>(f, "speedLabel")),
              stepLabel(widget<QLabel>(f, "stepLabel")),
              elapsedLabel(widget<QLabel>(f, "elapsedLabel")),
              remainingLabel(widget<QLabel>(f, "remainingLabel")), logo(widget<QLabel>(f, "logo")),
              speedSlider(widget<QSlider>(f, "speedSlider")),
              stepSlider(widget<QSlider>(f, "stepSlider")), page(::page(f)),
              scrollTimer(widget<ScrollClock>(f, "scrollTimer"))
        {}
        QLabel *speedLabel;
        QLabel *stepLabel;
        QLabel *elapsedLabel;
        QLabel *remainingLabel;
        QLabel *logo;
        QSlider *speedSlider;
        QSlider *stepSlider;
        HtmlView *page;
        ScrollClock *scrollTimer;
    };

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
        const Controls c(f);
        setSpeed(f, start);
        QCOMPARE(f.currentSpeed(), start);
        pressKey(f, Qt::Key(key));
        QCOMPARE(f.currentSpeed(), speed);
        QCOMPARE(c.speedLabel->text(), label);
        QCOMPARE(c.scrollTimer->enabled(), speed != 0);
        QCOMPARE(c.scrollTimer->interval(), period);
        QCOMPARE(c.speedSlider->value(), speed);
        QCOMPARE(f.scrollForward(), speed > 0);
        QCOMPARE(c.stepLabel->text(), QStringLiteral("Coarse: 1"));
    }

    // With the clicker's, a pedal's and the number keys' presets bound, a bound
    // key does its action alone: no current speed applied, the page not moved.
    void boundKeys_actAloneOthersAsBefore_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<bool>("running");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("label");
        QTest::addColumn<bool>("pageMoves");
        QTest::newRow("PgDown faster")
            << 0 << false << int(Qt::Key_PageDown) << 0 << "Speed 10" << false;
        QTest::newRow("PgUp slower to a stop")
            << 10 << true << int(Qt::Key_PageUp) << 0 << "Paused..." << false;
        QTest::newRow("F5 pauses") << 50 << true << int(Qt::Key_F5) << 0 << "Paused..." << false;
        QTest::newRow("Escape resumes")
            << 50 << false << int(Qt::Key_Escape) << 0 << "Speed 50" << false;
        QTest::newRow("pedal A slower, no script step")
            << 50 << false << int(Qt::Key_A) << 0 << "Speed 40" << false;
        QTest::newRow("3 is preset 3") << 200 << true << int(Qt::Key_3) << 0 << "Speed 90" << false;
        QTest::newRow("Ctrl+3 unbound applies")
            << 200 << false << int(Qt::Key_3) << int(Qt::ControlModifier) << "Speed 200" << false;
        QTest::newRow("W still faster") << 20 << true << int(Qt::Key_W) << 0 << "Speed 30" << false;
        QTest::newRow("Down unbound moves the page")
            << 20 << false << int(Qt::Key_Down) << 0 << "Speed 20" << true;
        // A script without markers: the jump has nowhere to go, and the key does nothing else.
        QTest::newRow("Ctrl+Down next marker, none")
            << 50 << false << int(Qt::Key_Down) << int(Qt::ControlModifier) << "Paused..." << false;
        // Bound to the next script, which is missing: the message, and nothing more.
        QTest::newRow("End bound, failing")
            << 50 << false << int(Qt::Key_End) << 0 << "Paused..." << false;
    }

    void boundKeys_actAloneOthersAsBefore()
    {
        QFETCH(int, start);
        QFETCH(bool, running);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, label);
        QFETCH(bool, pageMoves);
        Prompter p;
        PrompterWindow &f = p.form;
        const Controls c(f);
        QTemporaryDir dir;
        QByteArray lines;
        for (int i = 0; i < 300; ++i)
            lines += "Line " + QByteArray::number(i) + " of the evening news\n";
        const QString news = writeTestFile(dir, QStringLiteral("news.txt"), lines);
        p.windows.options->setQueueItems({news, dir.filePath("gone.txt")});
        p.dialogs.modal = [](QDialog *) { return int(QDialog::Accepted); };
        f.showOptions();
        p.settle();
        auto *keys = widget<KeysDialog>(f, "keysDialog");
        KeyMap map;
        for (const KeyPreset preset : {KeyPreset::PresenterClicker, KeyPreset::FootPedalLetters,
                                       KeyPreset::NumberKeys, KeyPreset::Markers})
            map.addPreset(preset);
        map.bind(KeyChord{Qt::Key_End, {}}, KeyBinding::of(OperatorAction::Next));
        keys->setKeyMap(map);
        keys->accept();
        setSpeed(f, start);
        if (c.scrollTimer->enabled() != running)
            pressKey(f, Qt::Key_Q);
        QCOMPARE(c.scrollTimer->enabled(), running);
        pressKey(f, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(c.speedLabel->text(), label);
        QCOMPARE(c.page->scrollPosition() > 0, pageMoves);
        QCOMPARE(f.scriptTitle(), news);
        QCOMPARE(p.dialogs.messages.size(), key == Qt::Key_End ? 1 : 0);
    }

    void modifiersAreIgnored()
    {
        Prompter p;
        PrompterWindow &f = p.form;
        const Controls c(f);
        pressKey(f, Qt::Key_W);
        pressKey(f, Qt::Key_W, Qt::ShiftModifier);
        pressKey(f, Qt::Key_W, Qt::ControlModifier);
        QTest::keyClick(c.page, 'w');
        QCOMPARE(f.currentSpeed(), 40);
    }

    void reachingZero_pausesAndRestoresTheLogo()
    {
        Prompter p;
        PrompterWindow &f = p.form;
        const Controls c(f);
        setSpeed(f, -10);
        QVERIFY(c.scrollTimer->enabled());
        c.logo->setPixmap(makeImageList2().at(2));
        pressKey(f, Qt::Key_W);
        QCOMPARE(c.speedLabel->text(), QStringLiteral("Paused..."));
        QVERIFY(!c.scrollTimer->enabled());
        // The slider's change ran pause, which puts the upright logo back.
        QCOMPARE(c.logo->pixmap().toImage(), makeImageList2().at(0).toImage());
    }

    void zeroOnAZeroSlider_pausesWithoutDopause()
    {
        Prompter p;
        PrompterWindow &f = p.form;
        const Controls c(f);
        setSpeed(f, 0); // the slider moves from 10 to 0 here
        c.logo->setPixmap(makeImageList2().at(2));
        pressKey(f, Qt::Key_X); // applies the speed, 0, to a slider at 0
        QCOMPARE(c.speedLabel->text(), QStringLiteral("Paused..."));
        QCOMPARE(c.logo->pixmap().toImage(), makeImageList2().at(2).toImage());
    }

    void pausedPrompter_resumesOnAnyNonZeroSpeed()
    {
        Prompter p;
        PrompterWindow &f = p.form;
        const Controls c(f);
        setSpeed(f, 50);
        pressKey(f, Qt::Key_Q); // pauses the running prompter
        QVERIFY(!c.scrollTimer->enabled());
        QCOMPARE(c.speedLabel->text(), QStringLiteral("Paused..."));
        pressKey(f, Qt::Key_X); // applies the speed unchanged
        QVERIFY(c.scrollTimer->enabled());
        QCOMPARE(c.speedLabel->text(), QStringLiteral("Speed 50"));
        pressKey(f, Qt::Key_Q);
        pressKey(f, Qt::Key_W);
        QVERIFY(c.scrollTimer->enabled());
        QCOMPARE(f.currentSpeed(), 60);
        setSpeed(f, 300);
        pressKey(f, Qt::Key_Q);
        QVERIFY(!c.scrollTimer->enabled());
        pressKey(f, Qt::Key_W);
        QVERIFY(c.scrollTimer->enabled());
        QCOMPARE(f.currentSpeed(), 300);
    }

    void sameSpeed_keepsTheCountdown_changedSpeedRestartsIt()
    {
        // Wide margins: this checks whether the countdown restarted, not punctuality.
        Prompter p;
        PrompterWindow &f = p.form;
        const Controls c(f);
        setSpeed(f, 10);
        QTest::qWait(100);
        pressKey(f, Qt::Key_X); // applies the speed unchanged
        QVERIFY2(c.scrollTimer->remainingTime() < 250,
                 "an unchanged speed restarted the countdown");
        pressKey(f, Qt::Key_W);
        QVERIFY2(c.scrollTimer->remainingTime() > 250, "a new speed kept the old countdown");
    }

    void q_afterStartUp_runsAtRestTowardsTheTop()
    {
        Prompter p;
        p.showScript(200);
        PrompterWindow &f = p.form;
        const Controls c(f);
        pressKey(f, Qt::Key_Q);
        QVERIFY(c.scrollTimer->enabled());
        QCOMPARE(c.scrollTimer->interval(), 300u);
        QCOMPARE(c.speedLabel->text(), QStringLiteral("Speed 0"));
        QCOMPARE(f.currentSpeed(), 0);
        tick(f);
        QCOMPARE(c.page->scrollPosition(), 0);
        c.page->scrollTo(0, 50);
        tick(f);
        QCOMPARE(c.page->scrollPosition(), 49);
        pressKey(f, Qt::Key_Q);
        QVERIFY(!c.scrollTimer->enabled());
        QCOMPARE(c.speedLabel->text(), QStringLiteral("Paused..."));
        // E at 0 stops a timer that Q started.
        pressKey(f, Qt::Key_Q);
        pressKey(f, Qt::Key_E);
        QVERIFY(!c.scrollTimer->enabled());
    }

    void presses_toggleAndReverse()
    {
        Prompter p;
        p.showScript(50);
        PrompterWindow &f = p.form;
        const Controls c(f);
        QWidget *page = c.page->viewport();
        QTest::mouseClick(page, Qt::LeftButton, {}, QPoint(30, 30));
        QVERIFY(c.scrollTimer->enabled());
        QCOMPARE(c.speedLabel->text(), QStringLiteral("Speed 0"));
        QTest::mouseClick(page, Qt::LeftButton, {}, QPoint(30, 30));
        QVERIFY(!c.scrollTimer->enabled());
        QCOMPARE(c.speedLabel->text(), QStringLiteral("Paused..."));
        // A right press at 0 applies 0: the timer ends up off.
        QTest::mouseClick(page, Qt::LeftButton, {}, QPoint(30, 30));
        QTest::mouseClick(page, Qt::RightButton, {}, QPoint(30, 30));
        QVERIFY(!c.scrollTimer->enabled());
        setSpeed(f, 40);
        pressKey(f, Qt::Key_Q); // pauses
        QTest::mouseClick(page, Qt::LeftButton, {}, QPoint(30, 30));
        QCOMPARE(c.speedLabel->text(), QStringLiteral("Speed 40"));
        QCOMPARE(c.scrollTimer->interval(), 261u);
        pressKey(f, Qt::Key_Q);
        QTest::mouseClick(page, Qt::RightButton, {}, QPoint(30, 30));
        QCOMPARE(f.currentSpeed(), -40);
        QVERIFY(c.scrollTimer->enabled());
        QVERIFY(!f.scrollForward());
    }

    void tick_movesByTheStepAndRefreshesReadouts()
    {
        Prompter p;
        p.showScript(300);
        PrompterWindow &f = p.form;
        const Controls c(f);
        setSpeed(f, 10);
        c.stepSlider->setValue(3);
        tick(f);
        QCOMPARE(c.page->scrollPosition(), 3);
        QCOMPARE(c.elapsedLabel->text(), QStringLiteral("Elapsed: 00:00:00:29"));
        const int left = 291 * ((f.documentLength() - 3) / 3);
        QVERIFY(c.remainingLabel->text().startsWith(QStringLiteral("Remaining: ")));
        QCOMPARE(c.remainingLabel->text(), QStringLiteral("Remaining: ") + formatDuration(left));
        // Ticks that fall due within one frame move as one, the readouts as after the last.
        Q_EMIT c.scrollTimer->ticks(4);
        QCOMPARE(c.page->scrollPosition(), 15);
        QCOMPARE(c.elapsedLabel->text(), QStringLiteral("Elapsed: 00:00:01:45"));
        // Pausing and resetting leave the readouts alone.
        const QString spent = c.elapsedLabel->text();
        pressKey(f, Qt::Key_F);
        QCOMPARE(c.page->scrollPosition(), 0);
        QCOMPARE(c.elapsedLabel->text(), spent);
        QCOMPARE(c.speedLabel->text(), QStringLiteral("Paused..."));
        QCOMPARE(f.currentSpeed(), 10);
    }

    void bottom_holdsWhileTicking_andReversingMovesUpAtOnce()
    {
        Prompter p;
        p.showScript(300);
        PrompterWindow &f = p.form;
        const Controls c(f);
        QCOMPARE(f.documentLength(), maximum(f));
        QVERIFY(f.documentLength() > 0);
        setSpeed(f, 100);
        c.stepSlider->setValue(5);
        c.page->scrollTo(0, maximum(f) - 2);
        for (int i = 0; i < 5; ++i)
            tick(f);
        QCOMPARE(c.page->scrollPosition(), maximum(f));
        QCOMPARE(c.remainingLabel->text(), QStringLiteral("Remaining: 00:00:00:00"));
        Q_EMIT c.scrollTimer->ticks(std::numeric_limits<int>::max());
        QCOMPARE(c.page->scrollPosition(), maximum(f));
        pressKey(f, Qt::Key_E);
        tick(f);
        QCOMPARE(c.page->scrollPosition(), maximum(f) - 5);
        Q_EMIT c.scrollTimer->ticks(std::numeric_limits<int>::max());
        QCOMPARE(c.page->scrollPosition(), 0);
    }

    void pageComplete_measuresLengthAndShowsRemainingFromTheBottom()
    {
        Prompter p;
        PrompterWindow &f = p.form;
        const Controls c(f);
        setSpeed(f, 10);
        p.showScript(300);
        QCOMPARE(f.documentLength(), maximum(f));
        QCOMPARE(c.remainingLabel->text(), QStringLiteral("Remaining: 00:00:00:00"));
        QCOMPARE(c.page->scrollPosition(), 0);
        QVERIFY(c.scrollTimer->enabled()); // completion neither pauses nor resumes
        c.remainingLabel->clear();
        setSpeed(f, 0);
        p.showScript(10);
        QVERIFY(c.remainingLabel->text().isEmpty());
    }

    void f_resetsAndPauses_andResumeKeepsSpeedAndDirection()
    {
        Prompter p;
        p.showScript(200);
        PrompterWindow &f = p.form;
        const Controls c(f);
        setSpeed(f, -60);
        c.page->scrollTo(0, 400);
        pressKey(f, Qt::Key_F);
        QCOMPARE(c.page->scrollPosition(), 0);
        QVERIFY(!c.scrollTimer->enabled());
        QCOMPARE(f.currentSpeed(), -60);
        pressKey(f, Qt::Key_Q);
        QVERIFY(c.scrollTimer->enabled());
        QCOMPARE(c.speedLabel->text(), QStringLiteral("Speed -60"));
        QVERIFY(!f.scrollForward());
    }

    void queueKeysWithEmptyQueue_leaveAPausedSpeedRunning()
    {
        Prompter p;
        PrompterWindow &f = p.form;
        const Controls c(f);
        setSpeed(f, 30);
        pressKey(f, Qt::Key_Q); // pauses
        pressKey(f, Qt::Key_D);
        QVERIFY(c.scrollTimer->enabled());
        pressKey(f, Qt::Key_Q);
        pressKey(f, Qt::Key_A);
        QVERIFY(c.scrollTimer->enabled());
        QCOMPARE(c.speedLabel->text(), QStringLiteral("Speed 30"));
    }

    void spaceWhilePaused_resumesAndStillScrollsThePage()
    {
        Prompter p;
        p.showScript(300);
        PrompterWindow &f = p.form;
        const Controls c(f);
        setSpeed(f, 50);
        pressKey(f, Qt::Key_Q); // pauses
        pressKey(f, Qt::Key_Space);
        QVERIFY(c.scrollTimer->enabled());
        QVERIFY(c.page->scrollPosition() > 0);
    }

    void keyStormsAndPressesWhileLoading_stayInRange()
    {
        Prompter p;
        p.showScript(500);
        PrompterWindow &f = p.form;
        const Controls c(f);
        QRandomGenerator random(20261209);
        const QList<int> keys = {
            Qt::Key_Q,  Qt::Key_W,       Qt::Key_S,  Qt::Key_E,        Qt::Key_A,
            Qt::Key_D,  Qt::Key_F,       Qt::Key_Up, Qt::Key_PageDown, Qt::Key_Space,
            0x01000100, Qt::Key_unknown, 0};
        for (int i = 0; i < 300; ++i) {
            if (i % 50 == 0)
                f.showEditedScript(f.scriptLines()); // presses and keys land while it loads
            const int k = keys.at(random.bounded(int(keys.size())));
            QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier, QString(), true);
            QApplication::sendEvent(c.page, &press);
            if (i % 7 == 0)
                QTest::mouseClick(c.page->viewport(),
                                  random.bounded(2) ? Qt::LeftButton : Qt::RightButton);
            if (i % 11 == 0)
                c.stepSlider->setValue(random.bounded(-5, 20));
            QVERIFY(f.currentSpeed() >= -300 && f.currentSpeed() <= 300);
            QVERIFY(c.stepSlider->value() >= 1 && c.stepSlider->value() <= 10);
        }
        // Held W: auto-repeat to the top speed and no further.
        for (int i = 0; i < 300; ++i) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_W, Qt::NoModifier, QStringLiteral("w"), true);
            QApplication::sendEvent(c.page, &press);
        }
        QCOMPARE(f.currentSpeed(), 300);
        QCOMPARE(c.scrollTimer->interval(), 1u);
    }
};

QTEST_MAIN(ScrollingTest)
#include "tst_scrolling.moc"
