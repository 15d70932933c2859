#pragma once

#include "scriptreader.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <vector>

// Where a section of the script starts, and what the Go To menu calls it.
struct Marker
{
    qsizetype line = 0;
    QString label;

    bool operator==(const Marker &) const = default;
};

// The markers of a script, in line order. Documents bring their headings;
// plain text and RTF mark a section with a line that begins as a Markdown
// heading does ("# Intro", "## Part two"). "#tag" and a lone "#" are text.
class MarkerList
{
public:
    // Labels longer than this are cut.
    static constexpr qsizetype kMaxLabel = 60;

    MarkerList() = default;

    // The "# " lines of a plain text or RTF script.
    static MarkerList fromHashLines(const QStringList &lines);
    // A document's headings (line indexes, any order; those past the end are dropped).
    static MarkerList fromHeadings(const QStringList &lines, const QList<qsizetype> &headings);
    // The rule for the reader that read the script.
    static MarkerList forScript(ScriptKind kind, const QStringList &lines,
                                const QList<qsizetype> &headings);

    // Whether the line starts a section in a plain text or RTF script.
    static bool isHashHeading(const QString &line);
    // The menu's text for a marker line: the heading's words without the "#"s,
    // blanks run together, cut to kMaxLabel characters; "Line N" when empty.
    static QString labelFor(const QString &line, qsizetype index, bool hashHeading);

    bool isEmpty() const { return m_markers.empty(); }
    qsizetype size() const { return qsizetype(m_markers.size()); }
    const Marker &at(qsizetype index) const { return m_markers.at(std::size_t(index)); }
    const std::vector<Marker> &markers() const { return m_markers; }

    // The section holding `line`: the last marker at or before it; -1 before the first.
    qsizetype sectionAt(qsizetype line) const;

private:
    std::vector<Marker> m_markers;
};
