#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

// A script read from a word processor's document or a Markdown file: its lines
// and the lines that are headings (where the document's sections start).
struct DocumentText
{
    QStringList lines; // empty when a limit was passed
    QList<qsizetype> headings;
    qsizetype lineCount = 0;
    qsizetype characterCount = 0; // UTF-16 units of all lines, as cut
};

// Collects a document's paragraphs as lines under the script limits: past
// either limit it only counts, so the text of a huge document is never held.
// Each line is cut as rich text lines are.
class DocumentLines
{
public:
    DocumentLines(qsizetype maxLines, qsizetype maxCharacters);

    // Text of the paragraph being read; tabs and other control characters
    // become spaces.
    void append(QStringView text);
    // A line break inside the paragraph.
    void breakLine();
    // Ends the paragraph: its lines are added, the first with `label` before
    // it (a list item's bullet or number); a heading's first line is noted.
    void endParagraph(const QString &label = {}, bool heading = false);
    // Drops the paragraph being read (a hidden or deleted one).
    void discardParagraph();
    // Whether a paragraph has been started and not ended.
    bool inParagraph() const { return m_open; }

    DocumentText take();

private:
    void addLine(QString line);

    qsizetype m_maxLines;
    qsizetype m_maxCharacters;
    DocumentText m_text;
    QStringList m_paragraph;
    bool m_open = false;
    bool m_overLimit = false;
};

// A list item's number as a document writes it: `style` is '1' (decimal),
// 'a' or 'A' (letters: a ... z, aa ...), 'i' or 'I' (Roman numerals, decimal
// past 3999).
QString listNumber(int value, QChar style);
