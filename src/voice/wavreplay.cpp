#include "wavreplay.h"

#include "audioconverter.h"
#include "scriptlistener.h"
#include "speechdecoder.h"
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

void replayWav(const QString &path, ScriptListener &listener, const ReplayOptions &options,
               const std::function<void(const ReplayStep &)> &onStep)
{
    const WavAudio wav = readWav(path);
    AudioConverter converter(wav.sampleRate, wav.channels);
    const qsizetype frames = qsizetype(wav.samples.size()) / wav.channels;
    const qsizetype piece = std::max<qsizetype>(1, qsizetype(wav.sampleRate) * kPieceMs / 1000);
    AudioBacklog backlog(options.backlogLimitSamples);
    // Each piece's audio end, by its number (the backlog's generation).
    std::vector<double> arrivals;
    QElapsedTimer clock;
    clock.start();
    double busyUntil = 0;
    auto now = [&] { return options.realTime ? double(clock.nsecsElapsed()) / 1e9 : busyUntil; };
    auto hearOne = [&] {
        const auto block = backlog.take();
        if (!block)
            return false;
        const double arrival = arrivals.at(std::size_t(block->generation));
        const double decodeStart = threadSeconds();
        const auto *samples = reinterpret_cast<const qint16 *>(block->samples.constData());
        listener.listen(samples, block->samples.size() / qsizetype(sizeof(qint16)));
        if (block->generation + 1 == arrivals.size() && arrival >= double(frames) / wav.sampleRate)
            listener.finish();
        const double decodeSeconds = (threadSeconds() - decodeStart) * options.slowdown;
        busyUntil = std::max(busyUntil, arrival) + decodeSeconds;
        if (onStep) {
            onStep({arrival, now(), decodeSeconds, listener.position(), backlog.droppedBlocks(),
                    double(backlog.droppedSamples()) / SpeechDecoder::sampleRate});
        }
        return true;
    };
    for (qsizetype at = 0; at < frames; at += piece) {
        const qsizetype count = std::min(piece, frames - at);
        const double audioEnd = double(at + count) / wav.sampleRate;
        // What waits is heard while the decoder is free before this piece arrives.
        while (now() < audioEnd && hearOne()) {
        }
        if (options.realTime) {
            const auto due = qint64(audioEnd * 1000);
            if (clock.elapsed() < due)
                QThread::msleep(quint64(due - clock.elapsed()));
        }
        const std::vector<qint16> mono =
            converter.convert(wav.samples.data() + at * wav.channels, count);
        arrivals.push_back(audioEnd);
        backlog.push(
            {quint64(arrivals.size() - 1), QByteArray(reinterpret_cast<const char *>(mono.data()),
                                                      qsizetype(mono.size() * sizeof(qint16)))});
    }
    while (hearOne()) {
    }
}

} // namespace voice
