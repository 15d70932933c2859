#include "audioconverter.h"

#include <algorithm>
#include <cmath>

namespace voice {

AudioConverter::AudioConverter(int inputRate, int channels, int outputRate)
    : m_inputRate(std::max(inputRate, 1)), m_channels(std::max(channels, 1)),
      m_outputRate(std::max(outputRate, 1)),
      m_boxWidth(std::max(1, int(std::lround(double(m_inputRate) / m_outputRate))))
{}

std::vector<qint16> AudioConverter::convert(const qint16 *samples, qsizetype frames)
{
    // Mono, smoothed over the box so that decimation does not fold high notes down.
    for (qsizetype f = 0; f < frames; ++f) {
        int sum = 0;
        for (int c = 0; c < m_channels; ++c)
            sum += samples[f * m_channels + c];
        m_pending.push_back(float(sum) / float(m_channels));
    }
    std::vector<qint16> out;
    const double step = double(m_inputRate) / m_outputRate;
    const qsizetype available = qsizetype(m_pending.size());
    // The box reaches m_boxWidth - 1 samples ahead, the interpolation one more.
    while (m_nextPosition + m_boxWidth < double(available)) {
        const auto at = qsizetype(m_nextPosition);
        const double fraction = m_nextPosition - double(at);
        auto boxed = [&](qsizetype i) {
            float sum = 0;
            for (int k = 0; k < m_boxWidth; ++k)
                sum += m_pending[std::size_t(i + k)];
            return sum / float(m_boxWidth);
        };
        const double value = boxed(at) * (1 - fraction) + boxed(at + 1) * fraction;
        out.push_back(qint16(std::clamp(std::lround(value), -32768L, 32767L)));
        m_nextPosition += step;
    }
    const auto consumed = std::min(qsizetype(m_nextPosition), available);
    m_pending.erase(m_pending.begin(), m_pending.begin() + consumed);
    m_nextPosition -= double(consumed);
    return out;
}

} // namespace voice
