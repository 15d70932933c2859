#include "listenerworker.h"

#include "scriptlistener.h"
#include "scriptwords.h"
#include "tavrixerror.h"

namespace voice {

ListenerWorker::ListenerWorker() = default;
ListenerWorker::~ListenerWorker() = default;

void ListenerWorker::prepare(quint64 generation, const QString &scriptText)
{
    m_listener.reset();
    m_generation = generation;
    try {
        m_listener = std::make_unique<ScriptListener>(scriptText);
    } catch (const std::exception &error) {
        Q_EMIT failed(generation, errorText(error));
        return;
    }
    // The words' places are found here too: for a long script they take a while.
    QList<qsizetype> starts;
    const QList<ScriptWord> words = splitWords(scriptText);
    starts.reserve(words.size());
    for (const ScriptWord &word : words)
        starts.append(word.start);
    Q_EMIT ready(generation, m_listener->unknownWords(), starts);
}

void ListenerWorker::offer(quint64 generation, QByteArray samples)
{
    if (m_backlog.push({generation, std::move(samples)}))
        QMetaObject::invokeMethod(this, &ListenerWorker::hearNext, Qt::QueuedConnection);
}

void ListenerWorker::hearNext()
{
    const auto block = m_backlog.take();
    if (!block)
        return;
    hear(block->generation, block->samples);
    QMetaObject::invokeMethod(this, &ListenerWorker::hearNext, Qt::QueuedConnection);
}

void ListenerWorker::hear(quint64 generation, const QByteArray &samples)
{
    if (!m_listener || generation != m_generation)
        return;
    const auto *data = reinterpret_cast<const qint16 *>(samples.constData());
    if (m_listener->listen(data, samples.size() / qsizetype(sizeof(qint16))))
        Q_EMIT positionChanged(generation, m_listener->position());
}

void ListenerWorker::release()
{
    m_backlog.clear();
    m_listener.reset();
}

} // namespace voice
