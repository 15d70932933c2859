#pragma once

#include <QString>

#include <functional>

namespace voice {

class ScriptListener;

// One piece of replayed audio after the listener has heard it.
struct ReplayStep
{
    // Seconds of audio fed so far.
    double audioSeconds = 0;
    // When the listener's answer for this piece is ready, in seconds from the start: the clock
    // when replaying in real time, otherwise the audio time plus the decoding time queued so far.
    double readySeconds = 0;
    // Processor time the piece took (conversion, recognition, alignment).
    double decodeSeconds = 0;
    qsizetype position = -1;
};

// Reads a WAVE file of any rate and channel count and feeds it, as 16 kHz mono, through the
// listener in the pieces an audio device would deliver. Throws TavrixError on an unreadable file.
void replayWav(const QString &path, ScriptListener &listener, bool realTime,
               const std::function<void(const ReplayStep &)> &onStep = {});

} // namespace voice
