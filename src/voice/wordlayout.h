#pragma once

#include <QList>

class QTextDocument;

// Where each spoken word of a laid-out page starts: word index in, document y out.
class WordLayout final
{
public:
    // Character positions of the page's words, as the voice counts them, in the document's
    // plain text.
    void setWordStarts(QList<qsizetype> starts) { m_starts = std::move(starts); }
    qsizetype wordCount() const { return m_starts.size(); }

    // The top of the line holding the word, in document pixels; -1 when out of range.
    static double lineTop(const QTextDocument &document, qsizetype characterPosition);
    double wordTop(const QTextDocument &document, qsizetype word) const;
    // Where the reading line belongs once `word` has been said: through the word's line in
    // step with the words said on it, so that the page moves evenly instead of a line at a
    // time, yet never reaches the next line before its first word. -1 when out of range.
    double readingTop(const QTextDocument &document, qsizetype word) const;

private:
    QList<qsizetype> m_starts;
};
