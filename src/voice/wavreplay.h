#pragma once

#include "audiobacklog.h"

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
    // Processor time the piece took (recognition and alignment), times the slowdown.
    double decodeSeconds = 0;
    qsizetype position = -1;
    // Audio dropped unheard so far because decoding fell behind.
    qsizetype droppedBlocks = 0;
    double droppedSeconds = 0;
};

struct ReplayOptions
{
    // Paced by the clock, as a device delivers; otherwise as fast as it decodes, with the
    // time an answer is ready simulated.
    bool realTime = false;
    // Simulates a slower machine: each piece's decoding counts this many times over.
    double slowdown = 1;
    qsizetype backlogLimitSamples = AudioBacklog::defaultLimitSamples;
};

// Reads a WAVE file of any rate and channel count and feeds it, as 16 kHz mono, through the
// listener in the pieces an audio device would deliver, through the same bounded backlog as
// the microphone's audio. Throws TavrixError on an unreadable file.
void replayWav(const QString &path, ScriptListener &listener, const ReplayOptions &options = {},
               const std::function<void(const ReplayStep &)> &onStep = {});

} // namespace voice
