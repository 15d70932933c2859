#pragma once

#include <QByteArray>

#include <deque>
#include <mutex>
#include <optional>

namespace voice {

// Audio waiting for the recogniser, oldest first: blocks of 16 kHz mono 16-bit samples, each
// tagged with the script generation it was heard for. It holds at most `limitSamples`; when the
// recogniser falls behind, the oldest blocks are dropped and counted, so that the lag and the
// memory stay bounded. One thread pushes, another takes.
class AudioBacklog final
{
public:
    struct Block
    {
        quint64 generation = 0;
        QByteArray samples;
    };

    static constexpr qsizetype defaultLimitSamples = 2 * 16000;

    explicit AudioBacklog(qsizetype limitSamples = defaultLimitSamples);

    // True when the taker must be woken: it has found the backlog empty since it last was.
    bool push(Block block);
    // The oldest block; none when empty, and then the next push wakes the taker.
    std::optional<Block> take();
    void clear();

    qsizetype droppedBlocks() const;
    qsizetype droppedSamples() const;
    qsizetype waitingSamples() const;

private:
    const qsizetype m_limitSamples;
    mutable std::mutex m_mutex;
    std::deque<Block> m_blocks;
    qsizetype m_waitingSamples = 0;
    qsizetype m_droppedBlocks = 0;
    qsizetype m_droppedSamples = 0;
    bool m_takerAwake = false;
};

} // namespace voice
