#include "audiobacklog.h"

#include <algorithm>

namespace voice {

namespace {

qsizetype samplesIn(const QByteArray &block)
{
    return block.size() / qsizetype(sizeof(qint16));
}

} // namespace

AudioBacklog::AudioBacklog(qsizetype limitSamples)
    : m_limitSamples(std::max<qsizetype>(limitSamples, 1))
{}

bool AudioBacklog::push(Block block)
{
    const std::lock_guard lock(m_mutex);
    m_waitingSamples += samplesIn(block.samples);
    m_blocks.push_back(std::move(block));
    // The newest block always stays, however long it is.
    while (m_waitingSamples > m_limitSamples && m_blocks.size() > 1) {
        const qsizetype dropped = samplesIn(m_blocks.front().samples);
        m_blocks.pop_front();
        m_waitingSamples -= dropped;
        m_droppedSamples += dropped;
        ++m_droppedBlocks;
    }
    return !std::exchange(m_takerAwake, true);
}

std::optional<AudioBacklog::Block> AudioBacklog::take()
{
    const std::lock_guard lock(m_mutex);
    if (m_blocks.empty()) {
        m_takerAwake = false;
        return std::nullopt;
    }
    Block block = std::move(m_blocks.front());
    m_blocks.pop_front();
    m_waitingSamples -= samplesIn(block.samples);
    return block;
}

void AudioBacklog::clear()
{
    const std::lock_guard lock(m_mutex);
    m_blocks.clear();
    m_waitingSamples = 0;
}

qsizetype AudioBacklog::droppedBlocks() const
{
    const std::lock_guard lock(m_mutex);
    return m_droppedBlocks;
}

qsizetype AudioBacklog::droppedSamples() const
{
    const std::lock_guard lock(m_mutex);
    return m_droppedSamples;
}

qsizetype AudioBacklog::waitingSamples() const
{
    const std::lock_guard lock(m_mutex);
    return m_waitingSamples;
}

} // namespace voice
