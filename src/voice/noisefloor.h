#pragma once

#include <QtGlobal>

#include <algorithm>
#include <vector>

namespace voice {

// Adds a faint hiss to 16-bit audio before the recogniser hears it. Noise-gated microphones,
// virtual devices and conference software give exact zeros between words; the recogniser's
// energy and cepstral-mean estimates take those badly and it mishears the words that follow.
// Triangular noise from a fixed-seed generator: the same audio always decodes the same way.
class NoiseFloor final
{
public:
    // Peak of the added noise, in sample units; 0 adds none.
    explicit NoiseFloor(int peak = defaultPeak) : m_peak(std::max(peak, 0)) {}

    // About 59 dB below full scale (RMS): far under the speech of even a quiet microphone. Less
    // left most of the stalls after digital silence; more starts to cover a quiet speaker.
    static constexpr int defaultPeak = 96;

    // The samples with the noise added, clamped to the 16-bit range.
    const std::vector<qint16> &apply(const qint16 *samples, qsizetype count);

private:
    int m_peak = defaultPeak;
    quint32 m_state = 1;
    std::vector<qint16> m_out;
};

} // namespace voice
