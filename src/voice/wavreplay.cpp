#include "wavreplay.h"

#include "audioconverter.h"
#include "scriptlistener.h"
#include "wavfile.h"

#include <QElapsedTimer>
#include <QThread>

#include <algorithm>
#include <ctime>

namespace voice {

namespace {

// A device delivers audio in pieces of about this length.
constexpr int kPieceMs = 50;

// Processor time of this thread: what decoding costs, whatever else the machine runs.
double threadSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

} // namespace

void replayWav(const QString &path, ScriptListener &listener, bool realTime,
               const std::function<void(const ReplayStep &)> &onStep)
{
    const WavAudio wav = readWav(path);
    AudioConverter converter(wav.sampleRate, wav.channels);
    const qsizetype frames = qsizetype(wav.samples.size()) / wav.channels;
    const qsizetype piece = std::max<qsizetype>(1, qsizetype(wav.sampleRate) * kPieceMs / 1000);
    QElapsedTimer clock;
    clock.start();
    double busyUntil = 0;
    for (qsizetype at = 0; at < frames; at += piece) {
        const qsizetype count = std::min(piece, frames - at);
        const double audioEnd = double(at + count) / wav.sampleRate;
        if (realTime) {
            const auto due = qint64(audioEnd * 1000);
            if (clock.elapsed() < due)
                QThread::msleep(quint64(due - clock.elapsed()));
        }
        const double decodeStart = threadSeconds();
        const std::vector<qint16> mono =
            converter.convert(wav.samples.data() + at * wav.channels, count);
        listener.listen(mono.data(), qsizetype(mono.size()));
        if (at + count >= frames)
            listener.finish();
        const double decodeSeconds = threadSeconds() - decodeStart;
        busyUntil = std::max(busyUntil, audioEnd) + decodeSeconds;
        if (onStep) {
            onStep({audioEnd, realTime ? double(clock.nsecsElapsed()) / 1e9 : busyUntil,
                    decodeSeconds, listener.position()});
        }
    }
}

} // namespace voice
