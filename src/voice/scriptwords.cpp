#include "scriptwords.h"

namespace voice {

namespace {

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c.category() == QChar::Mark_NonSpacing;
}

bool isApostrophe(QChar c)
{
    return c == u'\'' || c == QChar(0x2019);
}

} // namespace

QList<ScriptWord> splitWords(const QString &text)
{
    QList<ScriptWord> words;
    const qsizetype size = text.size();
    qsizetype i = 0;
    while (i < size) {
        if (!isWordChar(text.at(i))) {
            ++i;
            continue;
        }
        const qsizetype start = i;
        QString word;
        while (i < size) {
            const QChar c = text.at(i);
            if (isWordChar(c)) {
                word += c.toLower();
                ++i;
            } else if (isApostrophe(c) && i + 1 < size && isWordChar(text.at(i + 1))) {
                word += u'\'';
                ++i;
            } else {
                break;
            }
        }
        words.append({word, start, i - start});
    }
    return words;
}

QStringList normalisedWords(const QString &text)
{
    QStringList out;
    const QList<ScriptWord> words = splitWords(text);
    out.reserve(words.size());
    for (const ScriptWord &w : words)
        out.append(w.text);
    return out;
}

} // namespace voice
