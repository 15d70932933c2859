#pragma once

#include <QtGlobal>

#include <vector>

namespace voice {

// Turns interleaved 16-bit audio of any rate and channel count into the 16 kHz mono the
// recogniser takes: channels averaged, then resampled by linear interpolation after a box
// filter as wide as the rate ratio. Keeps its phase across calls, so a stream can arrive in
// pieces of any size.
class AudioConverter final
{
public:
    AudioConverter(int inputRate, int channels, int outputRate = 16000);

    std::vector<qint16> convert(const qint16 *samples, qsizetype frames);

    int inputRate() const { return m_inputRate; }
    int channels() const { return m_channels; }

private:
    int m_inputRate;
    int m_channels;
    int m_outputRate;
    int m_boxWidth = 1;
    // Mono input not yet consumed, and where the next output sample falls in it.
    std::vector<float> m_pending;
    double m_nextPosition = 0;
};

} // namespace voice
