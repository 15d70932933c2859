#include "voicefollower.h"

#include "audioconverter.h"
#include "listenerworker.h"
#include "scriptlistener.h"
#include "tavrixerror.h"
#include "texts.h"

#include <QAudioDevice>
#include <QAudioSource>
#include <QFileInfo>
#include <QMediaDevices>

#include <algorithm>
#include <cmath>

namespace voice {

namespace {

// A live source delivers every few tens of milliseconds, silence included.
constexpr qint64 kMicrophoneSilentMs = 3000;

} // namespace

VoiceFollower::VoiceFollower(QObject *parent) : QObject(parent), m_worker(new ListenerWorker)
{
    m_worker->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    connect(m_worker, &ListenerWorker::ready, this,
            [this](quint64 generation, const QStringList &, const QList<qsizetype> &starts) {
                onReady(generation, starts);
            });
    connect(m_worker, &ListenerWorker::failed, this, &VoiceFollower::onFailed);
    connect(m_worker, &ListenerWorker::positionChanged, this,
            [this](quint64 generation, qint64 word) {
                if (m_running && generation == m_generation)
                    Q_EMIT positionChanged(word);
            });
    m_microphoneWatch.setInterval(250);
    connect(&m_microphoneWatch, &QTimer::timeout, this, &VoiceFollower::checkMicrophone);
    m_thread.setObjectName(QStringLiteral("voice"));
    m_thread.start(QThread::LowPriority);
}

VoiceFollower::~VoiceFollower()
{
    closeMicrophone();
    m_thread.quit();
    m_thread.wait();
}

void VoiceFollower::start(const QString &scriptText)
{
    if (!QFileInfo::exists(ScriptListener::defaultModelFolder()) ||
        !QFileInfo::exists(ScriptListener::defaultDictionaryPath()))
        throw TavrixError(texts::rsNoSpeechModel);
    if (QMediaDevices::defaultAudioInput().isNull())
        throw TavrixError(texts::rsNoMicrophone);
    m_running = true;
    setScript(scriptText);
}

void VoiceFollower::setScript(const QString &scriptText)
{
    if (!m_running)
        return;
    closeMicrophone();
    const quint64 generation = ++m_generation;
    QMetaObject::invokeMethod(m_worker, [worker = m_worker, generation, scriptText] {
        worker->prepare(generation, scriptText);
    });
}

void VoiceFollower::stop()
{
    m_running = false;
    ++m_generation;
    closeMicrophone();
    QMetaObject::invokeMethod(m_worker, [worker = m_worker] { worker->release(); });
}

void VoiceFollower::onReady(quint64 generation, const QList<qsizetype> &wordStarts)
{
    if (!m_running || generation != m_generation)
        return;
    Q_EMIT listening(wordStarts);
    openMicrophone();
}

void VoiceFollower::onFailed(quint64 generation, const QString &message)
{
    if (!m_running || generation != m_generation)
        return;
    stop();
    Q_EMIT failed(message);
}

void VoiceFollower::openMicrophone()
{
    const QAudioDevice device = QMediaDevices::defaultAudioInput();
    if (device.isNull()) {
        stop();
        Q_EMIT failed(texts::rsNoMicrophone);
        return;
    }
    QAudioFormat wanted;
    wanted.setSampleRate(16000);
    wanted.setChannelCount(1);
    wanted.setSampleFormat(QAudioFormat::Int16);
    m_format = device.isFormatSupported(wanted) ? wanted : device.preferredFormat();
    if (m_format.sampleFormat() != QAudioFormat::Int16 &&
        m_format.sampleFormat() != QAudioFormat::Float)
        m_format.setSampleFormat(QAudioFormat::Int16);
    m_converter = std::make_unique<AudioConverter>(m_format.sampleRate(), m_format.channelCount());
    m_deviceId = device.id();
    m_audio = new QAudioSource(device, m_format);
    connect(m_audio, &QAudioSource::stateChanged, this, [this](QAudio::State state) {
        if (state == QAudio::StoppedState && m_audio && m_audio->error() != QAudio::NoError)
            loseMicrophone();
    });
    m_audioInput = m_audio->start();
    if (!m_audioInput) {
        stop();
        Q_EMIT failed(texts::rsNoMicrophone);
        return;
    }
    connect(m_audioInput, &QIODevice::readyRead, this, &VoiceFollower::onAudio);
    m_sinceAudio.start();
    m_microphoneWatch.start();
}

void VoiceFollower::closeMicrophone()
{
    if (!m_audio)
        return;
    m_microphoneWatch.stop();
    QAudioSource *audio = std::exchange(m_audio, nullptr);
    m_audioInput = nullptr;
    audio->stop();
    audio->deleteLater();
}

void VoiceFollower::checkMicrophone()
{
    if (!m_audio)
        return;
    // Qt 6.4 drops a source that went away from the device list; Qt 6.8 keeps
    // listing it and its stream simply stops delivering.
    const QList<QAudioDevice> inputs = QMediaDevices::audioInputs();
    if (std::none_of(inputs.begin(), inputs.end(),
                     [this](const QAudioDevice &input) { return input.id() == m_deviceId; }) ||
        m_sinceAudio.hasExpired(kMicrophoneSilentMs))
        loseMicrophone();
}

void VoiceFollower::loseMicrophone()
{
    stop();
    Q_EMIT failed(texts::rsMicrophoneLost);
}

void VoiceFollower::onAudio()
{
    if (!m_audioInput)
        return;
    const QByteArray bytes = m_audioInput->readAll();
    if (!bytes.isEmpty())
        m_sinceAudio.start();
    const int frameBytes = m_format.bytesPerFrame();
    if (frameBytes <= 0)
        return;
    const qsizetype frames = bytes.size() / frameBytes;
    std::vector<qint16> samples;
    if (m_format.sampleFormat() == QAudioFormat::Float) {
        const auto *in = reinterpret_cast<const float *>(bytes.constData());
        samples.resize(std::size_t(frames * m_format.channelCount()));
        for (std::size_t i = 0; i < samples.size(); ++i)
            samples[i] = qint16(std::lround(std::clamp(in[i], -1.0F, 1.0F) * 32767));
    } else {
        const auto *in = reinterpret_cast<const qint16 *>(bytes.constData());
        samples.assign(in, in + frames * m_format.channelCount());
    }
    const std::vector<qint16> mono = m_converter->convert(samples.data(), frames);
    const QByteArray block(reinterpret_cast<const char *>(mono.data()),
                           qsizetype(mono.size() * sizeof(qint16)));
    m_worker->offer(m_generation, block);
}

} // namespace voice
