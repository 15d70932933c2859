#pragma once

#include "audiobacklog.h"

#include <QObject>
#include <QStringList>

#include <memory>

namespace voice {

class ScriptListener;

// The recogniser's side of following, on a thread of its own: builds the script's model,
// then turns audio into script positions. Each script is a generation; answers carry theirs,
// so an answer about a script no longer shown is recognised and dropped.
class ListenerWorker final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ListenerWorker)

public:
    ListenerWorker();
    ~ListenerWorker() override;

    void prepare(quint64 generation, const QString &scriptText);
    // 16 kHz mono 16-bit samples. Called from any thread: the audio waits in the backlog,
    // which drops the oldest when the recogniser falls behind.
    void offer(quint64 generation, QByteArray samples);
    void release();
    // Audio dropped unheard so far, in blocks; any thread may ask.
    qsizetype droppedBlocks() const { return m_backlog.droppedBlocks(); }

Q_SIGNALS:
    // The script's model is built; `wordStarts` are where its words begin in the text.
    void ready(quint64 generation, const QStringList &unknownWords,
               const QList<qsizetype> &wordStarts);
    void failed(quint64 generation, const QString &message);
    void positionChanged(quint64 generation, qint64 word);

private:
    void hear(quint64 generation, const QByteArray &samples);
    // One block a turn, so that a new script or a stop is not kept waiting behind the audio.
    void hearNext();

    AudioBacklog m_backlog;
    std::unique_ptr<ScriptListener> m_listener;
    quint64 m_generation = 0;
};

} // namespace voice
