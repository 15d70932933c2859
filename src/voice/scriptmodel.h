#pragma once

#include <QString>
#include <QStringList>

#include <memory>

class QTemporaryDir;

namespace voice {

// The recogniser's language model and dictionary, written from one script's own words into a
// temporary folder that lives as long as this object: the recogniser then listens for the
// words that can come next in this script rather than for all of English.
class ScriptModel final
{
public:
    // Where Debian's English acoustic model and dictionary live.
    static QString defaultModelFolder();
    static QString defaultDictionary();

    // Throws TavrixError when the dictionary cannot be read or no word of the script is in it.
    ScriptModel(const QString &scriptText, const QString &dictionaryPath);
    ~ScriptModel();
    ScriptModel(const ScriptModel &) = delete;
    ScriptModel &operator=(const ScriptModel &) = delete;

    QString languageModelPath() const { return m_languageModelPath; }
    QString dictionaryPath() const { return m_dictionaryPath; }
    // Script words the dictionary lacks: the recogniser cannot hear them.
    QStringList unknownWords() const { return m_unknownWords; }
    qsizetype knownWordCount() const { return m_knownWordCount; }

private:
    std::unique_ptr<QTemporaryDir> m_folder;
    QString m_languageModelPath;
    QString m_dictionaryPath;
    QStringList m_unknownWords;
    qsizetype m_knownWordCount = 0;
};

} // namespace voice
