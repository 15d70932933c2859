#pragma once

#include <QAudioFormat>
#include <QElapsedTimer>
#include <QObject>
#include <QThread>
#include <QTimer>

#include <memory>

class QAudioSource;
class QIODevice;

namespace voice {

class AudioConverter;
class ListenerWorker;

// Follows the speaker through the script shown: the default microphone feeds the recogniser
// on a worker thread, which answers with script word positions. Nothing is opened until
// start(), and stop() closes the microphone. No audio is kept or sent anywhere.
class VoiceFollower final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(VoiceFollower)

public:
    explicit VoiceFollower(QObject *parent = nullptr);
    ~VoiceFollower() override;

    // Throws TavrixError when there is no microphone or no speech model; otherwise builds the
    // script's model in the background and opens the microphone when it is ready.
    void start(const QString &scriptText);
    // Another script is shown while following: listening resumes once its model is built.
    void setScript(const QString &scriptText);
    void stop();
    bool isRunning() const { return m_running; }
    bool isListening() const { return m_audio != nullptr; }

Q_SIGNALS:
    // The script's model is ready and the microphone opens: `wordStarts` are where the words
    // the positions count begin in the script's text.
    void listening(const QList<qsizetype> &wordStarts);
    // Index of the last script word the speaker has reached.
    void positionChanged(qint64 word);
    // Following cannot go on (the model cannot be built, the microphone went away); it has
    // stopped.
    void failed(const QString &message);

private:
    void onReady(quint64 generation, const QList<qsizetype> &wordStarts);
    void onFailed(quint64 generation, const QString &message);
    void openMicrophone();
    void closeMicrophone();
    void onAudio();
    void checkMicrophone();
    void loseMicrophone();

    QThread m_thread;
    ListenerWorker *m_worker = nullptr; // lives on m_thread, deleted when it ends
    // Qt 6.4's PulseAudio source spins the event loop in its destructor, so it is deleted only
    // from the top of the event loop, never as a child inside another object's destructor.
    QAudioSource *m_audio = nullptr;
    QByteArray m_deviceId;
    // Qt 6.4 neither reports a PulseAudio source that has gone nor stops reading it, so the
    // list of microphones is looked at while listening.
    QTimer m_microphoneWatch;
    // Since the microphone last delivered sound: a live source delivers all the time.
    QElapsedTimer m_sinceAudio;
    QIODevice *m_audioInput = nullptr;
    QAudioFormat m_format;
    std::unique_ptr<AudioConverter> m_converter;
    quint64 m_generation = 0;
    bool m_running = false;
};

} // namespace voice
