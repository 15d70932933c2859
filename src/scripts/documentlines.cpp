#include "documentlines.h"

#include "rtftext.h"

#include <utility>

#include <QLatin1String>

DocumentLines::DocumentLines(qsizetype maxLines, qsizetype maxCharacters)
    : m_maxLines(maxLines), m_maxCharacters(maxCharacters)
{}

void DocumentLines::append(QStringView text)
{
    if (!m_open) {
        m_paragraph = {QString()};
        m_open = true;
    }
    QString &line = m_paragraph.last();
    for (const QChar c : text) {
        // Past the cut only the cut matters: a 5 MB paragraph is not held.
        if (line.size() > kMaxRichTextLineLength)
            break;
        line.append(c.unicode() < 0x20 || c == QChar(0x7f) ? QChar(u' ') : c);
    }
}

void DocumentLines::breakLine()
{
    append({});
    m_paragraph.append(QString());
}

void DocumentLines::endParagraph(const QString &label, bool heading)
{
    if (!m_open)
        append({});
    m_open = false;
    QStringList paragraph = std::exchange(m_paragraph, {});
    paragraph.first().prepend(label);
    if (heading && !m_overLimit)
        m_text.headings.append(m_text.lineCount);
    for (QString &line : paragraph)
        addLine(std::move(line));
}

void DocumentLines::discardParagraph()
{
    m_open = false;
    m_paragraph.clear();
}

void DocumentLines::addLine(QString line)
{
    line = cutLongLines({std::move(line)}).constFirst();
    ++m_text.lineCount;
    m_text.characterCount += line.size();
    if (m_text.lineCount > m_maxLines || m_text.characterCount > m_maxCharacters)
        m_overLimit = true;
    if (m_overLimit) {
        m_text.lines.clear();
        m_text.headings.clear();
        return;
    }
    m_text.lines.append(std::move(line));
}

DocumentText DocumentLines::take()
{
    if (m_open)
        endParagraph();
    return std::exchange(m_text, {});
}

QString listNumber(int value, QChar style)
{
    if ((style == u'a' || style == u'A') && value > 0) {
        QString letters;
        for (int n = value; n > 0; n = (n - 1) / 26)
            letters.prepend(QChar(char16_t(u'a' + (n - 1) % 26)));
        return style == u'A' ? letters.toUpper() : letters;
    }
    if ((style == u'i' || style == u'I') && value > 0 && value < 4000) {
        static constexpr std::pair<int, const char *> numerals[] = {
            {1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"}, {100, "c"}, {90, "xc"}, {50, "l"},
            {40, "xl"},  {10, "x"},   {9, "ix"},  {5, "v"},    {4, "iv"},  {1, "i"}};
        QString roman;
        int n = value;
        for (const auto &[amount, text] : numerals) {
            for (; n >= amount; n -= amount)
                roman += QLatin1String(text);
        }
        return style == u'I' ? roman.toUpper() : roman;
    }
    return QString::number(value);
}
