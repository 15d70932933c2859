#pragma once

#include <QString>
#include <QStringList>

#include <optional>

struct ps_decoder_s;
struct cmd_ln_s;

namespace voice {

class ScriptModel;

// PocketSphinx over 16 kHz mono audio, listening for one script's words. Not thread-safe:
// one thread feeds it.
class SpeechDecoder final
{
public:
    struct Hypothesis
    {
        QStringList words;
        // The utterance ended at a pause; later words start a new one.
        bool final = false;
    };

    // Throws TavrixError when the acoustic model or the script's model cannot be loaded.
    SpeechDecoder(const ScriptModel &model, const QString &acousticModelFolder);
    ~SpeechDecoder();
    SpeechDecoder(const SpeechDecoder &) = delete;
    SpeechDecoder &operator=(const SpeechDecoder &) = delete;

    static constexpr int sampleRate = 16000;

    // Decodes the samples; returns what is heard when it changed.
    std::optional<Hypothesis> process(const qint16 *samples, qsizetype count);
    // Ends the current utterance (end of input); returns its words when there were any.
    std::optional<Hypothesis> finish();

private:
    std::optional<Hypothesis> hypothesis(bool final);

    cmd_ln_s *m_config = nullptr;
    ps_decoder_s *m_decoder = nullptr;
    bool m_inUtterance = false;
    QString m_lastPartial;
};

} // namespace voice
