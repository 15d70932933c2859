#include "odttext.h"

#include "streamedxml.h"
#include "tavrixerror.h"
#include "texts.h"
#include "ziparchive.h"

#include <QHash>
#include <QList>
#include <QSet>

#include <algorithm>
#include <functional>

namespace {

constexpr qint64 kMaxPartBytes = 16 * 1024 * 1024;
constexpr qint64 kMaxContentBytes = 256 * 1024 * 1024;
constexpr int kLevels = 10;
// Runs of spaces are written as one element with a count.
constexpr int kMaxSpaceRun = 256;

const QString kText = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:text:1.0");
const QString kOffice = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:office:1.0");
const QString kStyle = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:style:1.0");
const QString kDraw = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:drawing:1.0");

struct ListLevel
{
    bool bullet = true;
    QChar format = u'1'; // '\0': no number, only prefix and suffix
    QString prefix;
    QString suffix;
    int start = 1;
    int shownLevels = 1;
};

struct Styles
{
    QHash<QString, QList<ListLevel>> lists; // list style → levels 1 ... kLevels
    QHash<QString, QString> paragraphLists; // paragraph style → its list style
    QSet<QString> hidden;                   // text and paragraph styles shown as nothing
    QSet<QString> headings;                 // a title's or an outline level's styles
    QHash<QString, QString> parents;

    bool isHeading(QString style) const
    {
        for (int depth = 0; depth < 16 && !style.isEmpty(); ++depth) {
            if (headings.contains(style))
                return true;
            style = parents.value(style);
        }
        return false;
    }
};

// List styles and hidden styles, from styles.xml and content.xml's automatic ones.
class StyleCollector
{
public:
    explicit StyleCollector(Styles &styles) : m_styles(styles) {}

    void start(const QXmlStreamReader &xml)
    {
        const QStringView uri = xml.namespaceUri();
        const QStringView name = xml.name();
        const QXmlStreamAttributes attributes = xml.attributes();
        if (uri == kText && name == u"list-style") {
            m_list = attributes.value(kStyle, QStringLiteral("name")).toString();
            m_styles.lists.insert(m_list, QList<ListLevel>(kLevels));
        } else if (uri == kText && !m_list.isEmpty() &&
                   (name == u"list-level-style-number" || name == u"list-level-style-bullet")) {
            const int level = attributes.value(kText, QStringLiteral("level")).toInt();
            if (level < 1 || level > kLevels)
                return;
            ListLevel &format = m_styles.lists[m_list][level - 1];
            format.bullet = name == u"list-level-style-bullet";
            const QStringView numbering = attributes.value(kStyle, QStringLiteral("num-format"));
            format.format = numbering.isEmpty() ? QChar() : numbering.front();
            format.prefix = attributes.value(kStyle, QStringLiteral("num-prefix")).toString();
            format.suffix = attributes.value(kStyle, QStringLiteral("num-suffix")).toString();
            const QStringView start = attributes.value(kText, QStringLiteral("start-value"));
            format.start = start.isEmpty() ? 1 : std::max(0, start.toInt());
            format.shownLevels = std::clamp(
                attributes.value(kText, QStringLiteral("display-levels")).toInt(), 1, level);
        } else if (uri == kStyle && name == u"style") {
            m_style = attributes.value(kStyle, QStringLiteral("name")).toString();
            const QStringView list = attributes.value(kStyle, QStringLiteral("list-style-name"));
            if (!list.isEmpty())
                m_styles.paragraphLists.insert(m_style, list.toString());
            const QStringView parent =
                attributes.value(kStyle, QStringLiteral("parent-style-name"));
            if (!parent.isEmpty())
                m_styles.parents.insert(m_style, parent.toString());
            if (m_style == u"Title" ||
                attributes.hasAttribute(kStyle, QStringLiteral("default-outline-level")))
                m_styles.headings.insert(m_style);
        } else if (uri == kStyle && name == u"text-properties" && !m_style.isEmpty() &&
                   attributes.value(kText, QStringLiteral("display")) == u"none") {
            m_styles.hidden.insert(m_style);
        }
    }

    void end(const QXmlStreamReader &xml)
    {
        if (xml.namespaceUri() == kText && xml.name() == u"list-style")
            m_list.clear();
        else if (xml.namespaceUri() == kStyle && xml.name() == u"style")
            m_style.clear();
    }

private:
    Styles &m_styles;
    QString m_list;
    QString m_style;
};

class StylesReader final : public StreamedXml
{
public:
    explicit StylesReader(Styles &styles) : m_collector(styles) {}

private:
    void startElement() override { m_collector.start(m_xml); }
    void endElement() override { m_collector.end(m_xml); }
    void characters() override {}

    StyleCollector m_collector;
};

// The numbers a list has reached, per list style, level by level.
class ListCounters
{
public:
    void restart(const QString &style) { m_counts.remove(style); }

    QString label(const Styles &styles, const QString &style, int level, int startValue)
    {
        const QList<ListLevel> levels = styles.lists.value(style);
        if (levels.isEmpty() || level < 1 || level > kLevels)
            return QStringLiteral("• ");
        const ListLevel &format = levels.at(level - 1);
        if (format.bullet)
            return QStringLiteral("• ");
        QList<int> &counts = m_counts[style];
        counts.resize(kLevels, 0);
        int &count = counts[level - 1];
        count = startValue >= 0 ? startValue : count == 0 ? format.start : count + 1;
        std::fill(counts.begin() + level, counts.end(), 0);
        if (format.format.isNull())
            return format.prefix + format.suffix + u' ';
        QStringList numbers;
        for (int shown = level - format.shownLevels + 1; shown <= level; ++shown) {
            const ListLevel &outer = levels.at(shown - 1);
            const int value = counts.at(shown - 1) == 0 ? outer.start : counts.at(shown - 1);
            numbers.append(listNumber(value, outer.format.isNull() ? u'1' : outer.format));
        }
        return format.prefix + numbers.join(u'.') + format.suffix + u' ';
    }

private:
    QHash<QString, QList<int>> m_counts;
};

// content.xml: its automatic styles, then the body.
class ContentReader final : public StreamedXml
{
public:
    ContentReader(Styles &styles, DocumentLines &lines)
        : m_styles(styles), m_collector(styles), m_lines(lines)
    {}

private:
    struct List
    {
        QString style;
        bool itemStarted = false;
        int startValue = -1;
    };

    void startElement() override
    {
        if (m_skip > 0) {
            ++m_skip;
            return;
        }
        const QStringView uri = m_xml.namespaceUri();
        const QStringView name = m_xml.name();
        const QXmlStreamAttributes attributes = m_xml.attributes();
        if (!m_inBody) {
            if (uri == kOffice && name == u"text")
                m_inBody = true;
            else
                m_collector.start(m_xml);
            return;
        }
        if (isSkipped(uri, name, attributes)) {
            m_skip = 1;
            return;
        }
        if (uri != kText)
            return;
        if (name == u"p" || name == u"h") {
            m_lines.discardParagraph();
            m_paragraphOpen = true;
            m_lastWasSpace = false;
            m_heading = name == u"h" ||
                        m_styles.isHeading(
                            attributes.value(kText, QStringLiteral("style-name")).toString());
            m_paragraphGone = false;
            m_paragraphStyle = attributes.value(kText, QStringLiteral("style-name")).toString();
        } else if (name == u"list") {
            QString style = attributes.value(kText, QStringLiteral("style-name")).toString();
            if (style.isEmpty() && !m_lists.isEmpty())
                style = m_lists.constLast().style;
            const bool continues =
                attributes.value(kText, QStringLiteral("continue-numbering")) == u"true" ||
                attributes.hasAttribute(kText, QStringLiteral("continue-list"));
            if (m_lists.isEmpty() && !continues)
                m_counters.restart(style);
            m_lists.append({style, false, -1});
        } else if (name == u"list-item" && !m_lists.isEmpty()) {
            m_lists.last().itemStarted = true;
            const QStringView start = attributes.value(kText, QStringLiteral("start-value"));
            m_lists.last().startValue = start.isEmpty() ? -1 : std::max(0, start.toInt());
        } else if (name == u"s") {
            const int count =
                std::clamp(attributes.value(kText, QStringLiteral("c")).toInt(), 1, kMaxSpaceRun);
            m_lines.append(QString(count, u' '));
        } else if (name == u"tab") {
            m_lines.append(u" ");
        } else if (name == u"line-break") {
            m_lines.breakLine();
        } else if (name == u"hidden-paragraph") {
            m_paragraphGone = attributes.value(kText, QStringLiteral("is-hidden")) == u"true";
        }
    }

    bool isSkipped(QStringView uri, QStringView name, const QXmlStreamAttributes &attributes) const
    {
        if (uri == kDraw)
            return true;
        if (uri == kOffice)
            return name == u"annotation" || name == u"forms";
        if (uri != kText)
            return false;
        static const QSet<QString> skipped = {
            QStringLiteral("note"),
            QStringLiteral("tracked-changes"),
            QStringLiteral("table-of-content"),
            QStringLiteral("alphabetical-index"),
            QStringLiteral("illustration-index"),
            QStringLiteral("table-index"),
            QStringLiteral("object-index"),
            QStringLiteral("user-index"),
            QStringLiteral("bibliography"),
            QStringLiteral("sequence-decls"),
            QStringLiteral("variable-decls"),
            QStringLiteral("user-field-decls"),
            QStringLiteral("dde-connection-decls"),
            QStringLiteral("ruby-text"),
        };
        if (skipped.contains(name.toString()))
            return true;
        if (name == u"hidden-text")
            return attributes.value(kText, QStringLiteral("is-hidden")) != u"false";
        const QString style = attributes.value(kText, QStringLiteral("style-name")).toString();
        return (name == u"span" || name == u"p" || name == u"h") && m_styles.hidden.contains(style);
    }

    void endElement() override
    {
        if (m_skip > 0) {
            --m_skip;
            return;
        }
        const QStringView uri = m_xml.namespaceUri();
        const QStringView name = m_xml.name();
        if (!m_inBody) {
            m_collector.end(m_xml);
            return;
        }
        if (uri == kOffice && name == u"text") {
            m_inBody = false;
        } else if (uri == kText && name == u"list" && !m_lists.isEmpty()) {
            m_lists.removeLast();
        } else if (uri == kText && (name == u"p" || name == u"h")) {
            m_paragraphOpen = false;
            if (m_paragraphGone) {
                m_lines.discardParagraph();
                return;
            }
            m_lines.endParagraph(label(), m_heading);
        }
    }

    QString label()
    {
        if (m_lists.isEmpty() || !m_lists.last().itemStarted)
            return {};
        List &list = m_lists.last();
        list.itemStarted = false;
        const QString style =
            list.style.isEmpty() ? m_styles.paragraphLists.value(m_paragraphStyle) : list.style;
        return m_counters.label(m_styles, style, int(m_lists.size()), list.startValue);
    }

    // Whitespace in a paragraph's XML reads as one space, and none at its
    // start: spaces the document means are written as text:s.
    void characters() override
    {
        if (m_skip > 0 || !m_paragraphOpen)
            return;
        QString text;
        for (const QChar c : m_xml.text()) {
            const bool space = c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
            if (space && (m_lastWasSpace || (text.isEmpty() && !m_lines.inParagraph())))
                continue;
            text.append(space ? QChar(u' ') : c);
            m_lastWasSpace = space;
        }
        if (!text.isEmpty())
            m_lines.append(text);
    }

    Styles &m_styles;
    StyleCollector m_collector;
    DocumentLines &m_lines;
    ListCounters m_counters;
    QList<List> m_lists;
    QString m_paragraphStyle;
    int m_skip = 0;
    bool m_inBody = false;
    bool m_heading = false;
    bool m_paragraphGone = false;
    bool m_paragraphOpen = false;
    bool m_lastWasSpace = false;
};

DocumentText readDocument(
    QByteArrayView styles,
    const std::function<void(const std::function<void(const char *, qsizetype)> &)> &feedContent,
    qsizetype maxLines, qsizetype maxCharacters)
{
    Styles known;
    if (!styles.isEmpty()) {
        StylesReader reader(known);
        reader.addData(styles.data(), styles.size());
        reader.finish();
    }
    DocumentLines lines(maxLines, maxCharacters);
    ContentReader reader(known, lines);
    feedContent([&reader](const char *data, qsizetype size) { reader.addData(data, size); });
    reader.finish();
    return lines.take();
}

} // namespace

DocumentText odfXmlToLines(QByteArrayView content, QByteArrayView styles, qsizetype maxLines,
                           qsizetype maxCharacters)
{
    return readDocument(
        styles, [content](const auto &sink) { sink(content.data(), content.size()); }, maxLines,
        maxCharacters);
}

DocumentText openDocumentText(const ZipArchive &archive, qsizetype maxLines,
                              qsizetype maxCharacters)
{
    const QString contentPart = QStringLiteral("content.xml");
    if (!archive.contains(contentPart))
        throw TavrixError(texts::rsNotADocument);
    // A document saved with a password keeps its parts encrypted inside the zip.
    const QString manifest = QStringLiteral("META-INF/manifest.xml");
    if (archive.contains(manifest) &&
        archive.readAll(manifest, kMaxPartBytes).contains("encryption-data"))
        throw TavrixError(texts::rsDocumentEncrypted);
    const QString stylesPart = QStringLiteral("styles.xml");
    return readDocument(
        archive.contains(stylesPart) ? archive.readAll(stylesPart, kMaxPartBytes) : QByteArray(),
        [&](const auto &sink) { archive.read(contentPart, kMaxContentBytes, sink); }, maxLines,
        maxCharacters);
}
