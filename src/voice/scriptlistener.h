#pragma once

#include "scriptaligner.h"

#include <QString>

#include <memory>

namespace voice {

class ScriptModel;
class SpeechDecoder;

// The recogniser and the aligner in one: 16 kHz mono audio in, script word position out.
// Builds the script's model when made, which takes a while for a long script, so it is made
// away from the window's thread.
class ScriptListener final
{
public:
    // Throws TavrixError when there is nothing to listen for or the model cannot be loaded.
    explicit ScriptListener(const QString &scriptText,
                            const QString &dictionaryPath = defaultDictionaryPath(),
                            const QString &acousticModelFolder = defaultModelFolder(),
                            double utteranceLimitSeconds = 20);
    ~ScriptListener();
    ScriptListener(const ScriptListener &) = delete;
    ScriptListener &operator=(const ScriptListener &) = delete;

    static QString defaultDictionaryPath();
    static QString defaultModelFolder();

    // True when the position moved.
    bool listen(const qint16 *samples, qsizetype count);
    // End of input: the last utterance counts as finished.
    bool finish();

    qsizetype position() const { return m_aligner.position(); }
    qsizetype wordCount() const { return m_aligner.scriptSize(); }
    void resetTo(qsizetype position) { m_aligner.reset(position); }
    // Words heard so far, for measuring: each hypothesis's words, the last one's last.
    QStringList lastHeard() const { return m_lastHeard; }
    QStringList unknownWords() const;
    double longestUtteranceSeconds() const;

private:
    std::unique_ptr<ScriptModel> m_model;
    std::unique_ptr<SpeechDecoder> m_decoder;
    ScriptAligner m_aligner;
    QStringList m_lastHeard;
};

} // namespace voice
