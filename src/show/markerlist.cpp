#include "markerlist.h"

#include <algorithm>

namespace {

// Markdown's deepest heading.
constexpr qsizetype kMaxHashes = 6;
// Only the head of a line can reach the label: a 100,000-character line is not copied.
constexpr qsizetype kLabelSource = MarkerList::kMaxLabel * 4;

qsizetype hashCount(const QString &line)
{
    qsizetype count = 0;
    while (count < line.size() && count <= kMaxHashes && line.at(count) == u'#')
        ++count;
    return count;
}

} // namespace

bool MarkerList::isHashHeading(const QString &line)
{
    const qsizetype hashes = hashCount(line);
    if (hashes == 0 || hashes > kMaxHashes || hashes >= line.size() || line.at(hashes) != u' ')
        return false;
    // "# " with nothing after it names nothing to go to.
    const QStringView rest = QStringView(line).mid(hashes, kLabelSource);
    return std::any_of(rest.begin(), rest.end(), [](QChar c) { return !c.isSpace(); }) ||
           line.size() > hashes + kLabelSource;
}

QString MarkerList::labelFor(const QString &line, qsizetype index, bool hashHeading)
{
    const qsizetype from = hashHeading ? hashCount(line) : 0;
    QString label = QStringView(line).mid(from, kLabelSource).toString().simplified();
    if (label.size() > kMaxLabel) {
        qsizetype cut = kMaxLabel;
        // Never half a surrogate pair.
        if (label.at(cut - 1).isHighSurrogate())
            --cut;
        label.truncate(cut);
    }
    if (label.isEmpty())
        label = QStringLiteral("Line %1").arg(index + 1);
    return label;
}

MarkerList MarkerList::fromHashLines(const QStringList &lines)
{
    MarkerList list;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (isHashHeading(lines.at(i)))
            list.m_markers.push_back({i, labelFor(lines.at(i), i, true)});
    }
    return list;
}

MarkerList MarkerList::fromHeadings(const QStringList &lines, const QList<qsizetype> &headings)
{
    QList<qsizetype> sorted = headings;
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    MarkerList list;
    list.m_markers.reserve(std::size_t(sorted.size()));
    for (const qsizetype line : sorted) {
        if (line >= 0 && line < lines.size())
            list.m_markers.push_back({line, labelFor(lines.at(line), line, false)});
    }
    return list;
}

MarkerList MarkerList::forScript(ScriptKind kind, const QStringList &lines,
                                 const QList<qsizetype> &headings)
{
    switch (kind) {
    case ScriptKind::PlainText:
    case ScriptKind::RichText:
        return fromHashLines(lines);
    case ScriptKind::WordDocument:
    case ScriptKind::OpenDocument:
    case ScriptKind::Markdown:
        break;
    }
    return fromHeadings(lines, headings);
}

qsizetype MarkerList::sectionAt(qsizetype line) const
{
    const auto after = std::upper_bound(m_markers.begin(), m_markers.end(), line,
                                        [](qsizetype l, const Marker &m) { return l < m.line; });
    return qsizetype(after - m_markers.begin()) - 1;
}
