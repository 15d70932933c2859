#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace voice {

// One spoken word of a script: its normalised form and where it stands in the text it came from.
struct ScriptWord
{
    QString text;
    qsizetype start = 0;
    qsizetype length = 0;
};

// Lower case, punctuation stripped, inner apostrophes kept ("don't"), numbers kept as tokens;
// hyphens and every other mark separate words.
QList<ScriptWord> splitWords(const QString &text);

// The normalised words alone, for recognised text and tests.
QStringList normalisedWords(const QString &text);

} // namespace voice
