#include "scriptlistener.h"

#include "scriptmodel.h"
#include "scriptwords.h"
#include "speechdecoder.h"

namespace voice {

ScriptListener::ScriptListener(const QString &scriptText, const QString &dictionaryPath,
                               const QString &acousticModelFolder, double utteranceLimitSeconds)
    : m_model(std::make_unique<ScriptModel>(scriptText, dictionaryPath)),
      m_decoder(
          std::make_unique<SpeechDecoder>(*m_model, acousticModelFolder, utteranceLimitSeconds)),
      m_aligner(normalisedWords(scriptText))
{}

ScriptListener::~ScriptListener() = default;

QString ScriptListener::defaultDictionaryPath()
{
    return ScriptModel::defaultDictionary();
}

QString ScriptListener::defaultModelFolder()
{
    return ScriptModel::defaultModelFolder();
}

QStringList ScriptListener::unknownWords() const
{
    return m_model->unknownWords();
}

double ScriptListener::longestUtteranceSeconds() const
{
    return m_decoder->longestUtteranceSeconds();
}

bool ScriptListener::listen(const qint16 *samples, qsizetype count)
{
    const auto heard = m_decoder->process(samples, count);
    if (!heard)
        return false;
    m_lastHeard = heard->words;
    return heard->final ? m_aligner.hearFinal(heard->words) : m_aligner.hearPartial(heard->words);
}

bool ScriptListener::finish()
{
    const auto heard = m_decoder->finish();
    if (!heard)
        return false;
    m_lastHeard = heard->words;
    return m_aligner.hearFinal(heard->words);
}

} // namespace voice
