#pragma once

#include <QString>

#include <vector>

namespace voice {

// A RIFF WAVE file of 8-bit, 16-bit or 32-bit float PCM, read whole as 16-bit samples.
struct WavAudio
{
    int sampleRate = 0;
    int channels = 0;
    // Interleaved frames.
    std::vector<qint16> samples;
};

// Throws TavrixError on a file that is not such a WAVE file.
WavAudio readWav(const QString &path);

} // namespace voice
