#include "prompterfixture.h"

#include "scriptwords.h"
#include "soundserver.h"
#include "texts.h"
#include "wordlayout.h"

#include <QAction>
#include <QAudioDevice>
#include <QMediaDevices>
#include <QScopeGuard>
#include <QSlider>
#include <QTemporaryDir>

using namespace texts;

class VoiceFollowingTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        // The test's own sound server, with no microphone yet, whatever the machine has; where
        // none can start, no server answers at all, which is no microphone too.
        m_sound = std::make_unique<SoundServer>();
        if (m_sound->start()) {
            qputenv("PULSE_SERVER", (u"unix:" + m_sound->socket()).toLocal8Bit());
        } else {
            m_noSound = m_sound->failure;
            qputenv("PULSE_SERVER", "unix:/nonexistent/tavrix-test");
        }
    }

    void cleanupTestCase() { m_sound.reset(); }

    void noMicrophone_saysSoAndStaysOff()
    {
        Prompter p;
        p.showScript(20);
        setSpeed(p.form, 40);
        auto *follow = widget<QAction>(p.form, "followVoiceAction");
        follow->trigger();
        QCOMPARE(p.dialogs.messages, QStringList{rsNoMicrophone});
        QVERIFY(!follow->isChecked());
        // The scroll clock goes on as it was, and the status line still shows the speed.
        QCOMPARE(labelText(p.form, "speedLabel"), rsSpeed + u"40");
        QVERIFY(widget<ScrollClock>(p.form, "scrollTimer")->enabled());
        QVERIFY(!widget<ScrollClock>(p.form, "scrollTimer")->framesWanted());
    }

    void controlWhileFollowing_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<bool>("scrolls");
        QTest::addColumn<QString>("label");
        // A pause control leaves the page still; a speed control scrolls at its speed.
        // A microphone that goes away stops following, says so and leaves the page still.
        QTest::newRow("Q") << QStringLiteral("Q") << false << rsPaused;
        QTest::newRow("left press") << QStringLiteral("press") << false << rsPaused;
        QTest::newRow("strip's Pause") << QStringLiteral("pauseButton") << false << rsPaused;
        QTest::newRow("remote's pause") << QStringLiteral("remote pause") << false << rsPaused;
        QTest::newRow("W") << QStringLiteral("W") << true << QString(rsSpeed + u"50");
        QTest::newRow("S") << QStringLiteral("S") << true << QString(rsSpeed + u"30");
        QTest::newRow("strip's Faster")
            << QStringLiteral("fasterButton") << true << QString(rsSpeed + u"50");
        QTest::newRow("speed slider")
            << QStringLiteral("slider") << true << QString(rsSpeed + u"70");
        QTest::newRow("remote's speed")
            << QStringLiteral("remote speed") << true << QString(rsSpeed + u"90");
        QTest::newRow("microphone lost") << QStringLiteral("lost") << false << rsPaused;
    }

    void controlWhileFollowing()
    {
        QFETCH(QString, control);
        QFETCH(bool, scrolls);
        QFETCH(QString, label);
        if (!m_noSound.isEmpty())
            QSKIP(qPrintable(m_noSound));
        QVERIFY(m_sound->addMicrophone());
        const auto cleanup = qScopeGuard([this] { m_sound->removeMicrophone(); });
        QTRY_VERIFY(!QMediaDevices::defaultAudioInput().isNull());
        Prompter p;
        p.showScript(20);
        setSpeed(p.form, 40);
        auto *follow = widget<QAction>(p.form, "followVoiceAction");
        auto *clock = widget<ScrollClock>(p.form, "scrollTimer");
        follow->trigger();
        QVERIFY(p.dialogs.messages.isEmpty());
        QVERIFY(follow->isChecked());
        QCOMPARE(labelText(p.form, "speedLabel"), rsFollowing);
        QVERIFY(!clock->enabled());

        if (control.size() == 1)
            pressKey(p.form, Qt::Key(control.at(0).unicode()));
        else if (control == u"press")
            QTest::mouseClick(page(p.form)->viewport(), Qt::LeftButton);
        else if (control == u"remote pause")
            p.form.perform(OperatorAction::Pause);
        else if (control == u"remote speed")
            p.form.perform(OperatorAction::SetSpeed, 90);
        else if (control == u"lost") {
            QTRY_VERIFY_WITH_TIMEOUT(m_sound->recording(), 30000);
            QVERIFY(m_sound->removeMicrophone());
        } else if (control == u"slider")
            widget<QSlider>(p.form, "speedSlider")->setValue(70);
        else
            QTest::mouseClick(widget<QWidget>(p.form, qPrintable(control)), Qt::LeftButton);

        QTRY_VERIFY(!follow->isChecked());
        QCOMPARE(p.dialogs.messages,
                 control == u"lost" ? QStringList{rsMicrophoneLost} : QStringList());
        QCOMPARE(clock->enabled(), scrolls);
        QCOMPARE(labelText(p.form, "speedLabel"), label);
        QVERIFY(!clock->framesWanted());
    }

    // Word positions counted the voice's way land on the page's lines, top to bottom.
    void wordLayout_findsEachWordsLine()
    {
        Prompter p;
        p.showScript(30);
        const QTextDocument &document = *page(p.form)->document();
        const QString text = document.toPlainText();
        const QList<voice::ScriptWord> words = voice::splitWords(text);
        QList<qsizetype> starts;
        for (const voice::ScriptWord &w : words)
            starts.append(w.start);
        WordLayout layout;
        layout.setWordStarts(starts);
        QCOMPARE(layout.wordCount(), words.size());
        QCOMPARE(layout.wordTop(document, -1), -1.0);
        QCOMPARE(layout.wordTop(document, words.size()), -1.0);
        // "Line 0 of the evening news": six words a line; the page may lead with others.
        const qsizetype first = starts.indexOf(text.indexOf(QStringLiteral("Line 0 ")));
        QVERIFY(first >= 0);
        double previous = -1;
        for (int line = 0; line < 30; ++line) {
            const double top = layout.wordTop(document, first + 6 * line);
            QVERIFY2(top > previous, qPrintable(QString::number(line)));
            // Every word of a short line shares its top.
            QCOMPARE(layout.wordTop(document, first + 6 * line + 5), top);
            // The reading line moves through the line word by word, short of the next line.
            const double next = layout.wordTop(document, first + 6 * line + 6);
            double step = top;
            for (int w = 0; w < 6; ++w) {
                const double reading = layout.readingTop(document, first + 6 * line + w);
                QVERIFY(reading > step);
                step = reading;
            }
            if (line < 29)
                QVERIFY(step < next);
            previous = top;
        }
    }

private:
    std::unique_ptr<SoundServer> m_sound;
    QString m_noSound;
};

QTEST_MAIN(VoiceFollowingTest)
#include "tst_voicefollowing.moc"
