#include "noisefloor.h"

#include <algorithm>

namespace voice {

const std::vector<qint16> &NoiseFloor::apply(const qint16 *samples, qsizetype count)
{
    m_out.resize(std::size_t(std::max<qsizetype>(count, 0)));
    // A linear congruential generator's high bits: cheap, and the same on every machine.
    const auto uniform = [this] {
        m_state = m_state * 1664525u + 1013904223u;
        return int(m_state >> 16) - 32768; // -32768 .. 32767
    };
    for (qsizetype i = 0; i < count; ++i) {
        const qint64 noise = (qint64(uniform()) + uniform()) * m_peak / 65536;
        m_out[std::size_t(i)] =
            qint16(std::clamp<qint64>(qint64(samples[i]) + noise, -32768, 32767));
    }
    return m_out;
}

} // namespace voice
