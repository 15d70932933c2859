#include "soundserver.h"
#include "texts.h"
#include "voicefollower.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QScopeGuard>
#include <QSignalSpy>

using voice::VoiceFollower;

namespace {

const QString kScript = QStringLiteral("The lighthouse keeper climbed the stairs every evening.");

} // namespace

class VoiceFollowerTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        m_sound = std::make_unique<SoundServer>();
        if (m_sound->start())
            qputenv("PULSE_SERVER", (u"unix:" + m_sound->socket()).toLocal8Bit());
        else
            m_noSound = m_sound->failure;
    }

    void cleanupTestCase() { m_sound.reset(); }

    // The microphone going away while it delivers sound stops following with a message, and
    // the program goes on.
    void microphoneLost_saysSoAndStops()
    {
        if (!m_noSound.isEmpty())
            QSKIP(qPrintable(m_noSound));
        QVERIFY(m_sound->addMicrophone());
        auto cleanup = qScopeGuard([this] { m_sound->removeMicrophone(); });
        QTRY_VERIFY(!QMediaDevices::defaultAudioInput().isNull());
        MicrophoneFeed feed(m_sound->microphonePipe());
        QVERIFY(feed.isOpen());
        VoiceFollower follower;
        QSignalSpy listening(&follower, &VoiceFollower::listening);
        QSignalSpy failed(&follower, &VoiceFollower::failed);
        follower.start(kScript);
        QTRY_COMPARE_WITH_TIMEOUT(listening.size(), 1, 30000);
        QVERIFY(follower.isListening());
        QTest::qWait(500);
        QVERIFY(m_sound->removeMicrophone());
        cleanup.dismiss();
        QTRY_COMPARE_WITH_TIMEOUT(failed.size(), 1, 10000);
        QCOMPARE(failed.at(0).at(0).toString(), texts::rsMicrophoneLost);
        QVERIFY(!follower.isRunning());
        QVERIFY(!follower.isListening());
        // Nothing left behind keeps reading the source that is gone.
        QTest::qWait(1000);
        QCOMPARE(failed.size(), 1);
    }

private:
    std::unique_ptr<SoundServer> m_sound;
    QString m_noSound;
};

QTEST_MAIN(VoiceFollowerTest)
#include "tst_voicefollower.moc"
