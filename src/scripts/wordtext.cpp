#include "wordtext.h"

#include "streamedxml.h"
#include "tavrixerror.h"
#include "texts.h"
#include "ziparchive.h"

#include <QHash>
#include <QSet>

#include <array>
#include <climits>
#include <functional>

namespace {

// Parts other than the body are small; the body streams under the document cap.
constexpr qint64 kMaxPartBytes = 16 * 1024 * 1024;
constexpr qint64 kMaxBodyBytes = 256 * 1024 * 1024;
constexpr int kLevels = 9;

bool isWordNamespace(QStringView uri)
{
    return uri == u"http://schemas.openxmlformats.org/wordprocessingml/2006/main" ||
           uri == u"http://purl.oclc.org/ooxml/wordprocessingml/main";
}

int toInt(QStringView text, int fallback)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok ? value : fallback;
}

// An on/off property such as <w:vanish/>: on unless its value says off.
bool switchedOn(const QXmlStreamReader &xml)
{
    const QStringView value = xml.attributes().value(QStringLiteral("w:val"));
    return value.isEmpty() || !(value == u"0" || value == u"false" || value == u"off");
}

// The w:val attribute, whatever the namespace's prefix.
QStringView val(const QXmlStreamReader &xml)
{
    for (const QXmlStreamAttribute &attribute : xml.attributes()) {
        if (attribute.name() == u"val" && isWordNamespace(attribute.namespaceUri()))
            return attribute.value();
    }
    return {};
}

QStringView wordAttribute(const QXmlStreamReader &xml, QStringView name)
{
    for (const QXmlStreamAttribute &attribute : xml.attributes()) {
        if (attribute.name() == name && isWordNamespace(attribute.namespaceUri()))
            return attribute.value();
    }
    return {};
}

struct ParagraphStyle
{
    QString name;
    QString basedOn;
    QString numId;
    int level = -1;
    int outline = -1;
};

struct ListLevel
{
    QString format = QStringLiteral("decimal");
    QString text;
    int start = 1;
};

struct Numbering
{
    QHash<QString, std::array<ListLevel, kLevels>> abstracts;
    QHash<QString, QString> abstractOf;             // numId → abstractNumId
    QHash<QString, QHash<int, int>> startOverrides; // numId → level → start
};

// word/styles.xml: the paragraph styles, with what headings and lists need.
class StylesReader final : public StreamedXml
{
public:
    QHash<QString, ParagraphStyle> styles;

private:
    void startElement() override
    {
        if (!isWordNamespace(m_xml.namespaceUri()))
            return;
        const QStringView name = m_xml.name();
        if (name == u"style") {
            m_current = wordAttribute(m_xml, u"type") == u"paragraph"
                            ? wordAttribute(m_xml, u"styleId").toString()
                            : QString();
            if (!m_current.isEmpty())
                styles.insert(m_current, {});
            return;
        }
        if (m_current.isEmpty())
            return;
        ParagraphStyle &style = styles[m_current];
        if (name == u"name")
            style.name = val(m_xml).toString();
        else if (name == u"basedOn")
            style.basedOn = val(m_xml).toString();
        else if (name == u"numId")
            style.numId = val(m_xml).toString();
        else if (name == u"ilvl")
            style.level = toInt(val(m_xml), -1);
        else if (name == u"outlineLvl")
            style.outline = toInt(val(m_xml), -1);
    }
    void endElement() override
    {
        if (isWordNamespace(m_xml.namespaceUri()) && m_xml.name() == u"style")
            m_current.clear();
    }
    void characters() override {}

    QString m_current;
};

// word/numbering.xml: each list's levels and where it starts.
class NumberingReader final : public StreamedXml
{
public:
    Numbering numbering;

private:
    void startElement() override
    {
        if (!isWordNamespace(m_xml.namespaceUri()))
            return;
        const QStringView name = m_xml.name();
        if (name == u"abstractNum") {
            m_abstract = wordAttribute(m_xml, u"abstractNumId").toString();
            numbering.abstracts.insert(m_abstract, {});
        } else if (name == u"num") {
            m_num = wordAttribute(m_xml, u"numId").toString();
        } else if (name == u"lvl" || name == u"lvlOverride") {
            m_level = toInt(wordAttribute(m_xml, u"ilvl"), -1);
        } else if (name == u"abstractNumId" && !m_num.isEmpty()) {
            numbering.abstractOf.insert(m_num, val(m_xml).toString());
        } else if (name == u"startOverride" && !m_num.isEmpty() && m_level >= 0) {
            numbering.startOverrides[m_num].insert(m_level, toInt(val(m_xml), 1));
        } else if (ListLevel *level = currentLevel()) {
            if (name == u"start")
                level->start = toInt(val(m_xml), 1);
            else if (name == u"numFmt")
                level->format = val(m_xml).toString();
            else if (name == u"lvlText")
                level->text = val(m_xml).toString();
        }
    }
    void endElement() override
    {
        if (!isWordNamespace(m_xml.namespaceUri()))
            return;
        if (m_xml.name() == u"abstractNum")
            m_abstract.clear();
        else if (m_xml.name() == u"num")
            m_num.clear();
        else if (m_xml.name() == u"lvl" || m_xml.name() == u"lvlOverride")
            m_level = -1;
    }
    void characters() override {}

    ListLevel *currentLevel()
    {
        if (m_abstract.isEmpty() || m_level < 0 || m_level >= kLevels)
            return nullptr;
        return &numbering.abstracts[m_abstract][std::size_t(m_level)];
    }

    QString m_abstract;
    QString m_num;
    int m_level = -1;
};

// The numbers lists have reached, as Word counts them: per list definition,
// a level restarting whenever a higher level moves on.
class ListCounters
{
public:
    explicit ListCounters(const Numbering &numbering) : m_numbering(numbering) {}

    QString label(const QString &numId, int level)
    {
        const QString abstract = m_numbering.abstractOf.value(numId);
        const auto found = m_numbering.abstracts.constFind(abstract);
        if (found == m_numbering.abstracts.cend() || level < 0 || level >= kLevels)
            return {};
        const std::array<ListLevel, kLevels> &levels = *found;
        const ListLevel &format = levels[std::size_t(level)];
        if (format.format == u"bullet")
            return QStringLiteral("• ");
        if (format.format == u"none" || format.text.isEmpty())
            return {};
        const bool fresh = !m_counts.contains(abstract);
        std::array<int, kLevels> &counts = m_counts[abstract];
        if (fresh)
            counts.fill(INT_MIN);
        if (!m_started.contains(numId)) {
            if (m_numbering.startOverrides.contains(numId))
                counts.fill(INT_MIN);
            for (auto [overridden, start] :
                 m_numbering.startOverrides.value(numId).asKeyValueRange())
                m_pendingStart[abstract].insert(overridden, start);
            m_started.insert(numId);
        }
        int &count = counts[std::size_t(level)];
        const int restart = m_pendingStart[abstract].take(level);
        count = restart ? restart : count == INT_MIN ? format.start : count + 1;
        for (int deeper = level + 1; deeper < kLevels; ++deeper)
            counts[std::size_t(deeper)] = INT_MIN;
        QString text = format.text;
        for (int n = kLevels; n >= 1; --n) {
            const ListLevel &shown = levels[std::size_t(n - 1)];
            const int value =
                counts[std::size_t(n - 1)] == INT_MIN ? shown.start : counts[std::size_t(n - 1)];
            text.replace(u'%' + QString::number(n), listNumber(value, styleOf(shown.format)));
        }
        return text + u' ';
    }

private:
    static QChar styleOf(const QString &format)
    {
        if (format == u"lowerLetter")
            return u'a';
        if (format == u"upperLetter")
            return u'A';
        if (format == u"lowerRoman")
            return u'i';
        if (format == u"upperRoman")
            return u'I';
        return u'1';
    }

    const Numbering &m_numbering;
    QHash<QString, std::array<int, kLevels>> m_counts;
    QHash<QString, QHash<int, int>> m_pendingStart;
    QSet<QString> m_started;
};

// word/document.xml's body, paragraph by paragraph.
class BodyReader final : public StreamedXml
{
public:
    BodyReader(const QHash<QString, ParagraphStyle> &styles, const Numbering &numbering,
               DocumentLines &lines)
        : m_styles(styles), m_counters(numbering), m_lines(lines)
    {}

private:
    void startElement() override
    {
        if (m_skip > 0) {
            ++m_skip;
            return;
        }
        const QStringView uri = m_xml.namespaceUri();
        const QStringView name = m_xml.name();
        if (uri == u"http://schemas.openxmlformats.org/markup-compatibility/2006" &&
            name == u"Fallback") {
            m_skip = 1;
            return;
        }
        if (!isWordNamespace(uri))
            return;
        if (!m_inBody) {
            m_inBody = name == u"body";
            return;
        }
        static const QSet<QString> skipped = {
            QStringLiteral("del"),
            QStringLiteral("moveFrom"),
            QStringLiteral("instrText"),
            QStringLiteral("delInstrText"),
            QStringLiteral("drawing"),
            QStringLiteral("pict"),
            QStringLiteral("object"),
            QStringLiteral("sdtPr"),
            QStringLiteral("sectPr"),
            QStringLiteral("tblPr"),
            QStringLiteral("trPr"),
            QStringLiteral("tcPr"),
            QStringLiteral("tblGrid"),
            QStringLiteral("fldData"),
            QStringLiteral("customXmlPr"),
            QStringLiteral("smartTagPr"),
            QStringLiteral("rt"),
            QStringLiteral("footnoteReference"),
            QStringLiteral("endnoteReference"),
            QStringLiteral("commentReference"),
        };
        if (m_inMarkProperties) {
            readParagraphProperty(name);
            return;
        }
        if (skipped.contains(name.toString())) {
            m_skip = 1;
            return;
        }
        if (name == u"p") {
            m_paragraph = {};
            m_lines.discardParagraph();
        } else if (name == u"pPr") {
            m_inParagraphProperties = true;
        } else if (m_inParagraphProperties) {
            readParagraphProperty(name);
        } else if (name == u"r") {
            m_runHidden = false;
        } else if (name == u"rPr") {
            m_inRunProperties = true;
        } else if (m_inRunProperties) {
            if (name == u"vanish" || name == u"webHidden" || name == u"specVanish")
                m_runHidden = m_runHidden || switchedOn(m_xml);
        } else if (name == u"t") {
            m_inText = true;
        } else if (!m_runHidden) {
            if (name == u"tab" || name == u"ptab")
                write(u" ");
            else if (name == u"noBreakHyphen")
                write(u"-");
            else if (name == u"cr" ||
                     (name == u"br" && (wordAttribute(m_xml, u"type").isEmpty() ||
                                        wordAttribute(m_xml, u"type") == u"textWrapping"))) {
                m_lines.breakLine();
            }
        }
    }

    void readParagraphProperty(QStringView name)
    {
        if (name == u"rPr") {
            m_inMarkProperties = true;
        } else if (m_inMarkProperties) {
            // A paragraph whose mark is hidden or deleted shows no line of its own.
            if (((name == u"vanish" || name == u"specVanish") && switchedOn(m_xml)) ||
                name == u"del" || name == u"moveFrom") {
                m_paragraph.markGone = true;
            }
        } else if (name == u"pStyle") {
            m_paragraph.style = val(m_xml).toString();
        } else if (name == u"numId") {
            m_paragraph.numId = val(m_xml).toString();
        } else if (name == u"ilvl") {
            m_paragraph.level = toInt(val(m_xml), -1);
        } else if (name == u"outlineLvl") {
            m_paragraph.outline = toInt(val(m_xml), -1);
        }
    }

    void endElement() override
    {
        if (m_skip > 0) {
            --m_skip;
            return;
        }
        if (!m_inBody || !isWordNamespace(m_xml.namespaceUri()))
            return;
        const QStringView name = m_xml.name();
        if (name == u"body") {
            m_inBody = false;
        } else if (name == u"pPr") {
            m_inParagraphProperties = false;
        } else if (name == u"rPr") {
            if (m_inParagraphProperties)
                m_inMarkProperties = false;
            else
                m_inRunProperties = false;
        } else if (name == u"t") {
            m_inText = false;
        } else if (name == u"p") {
            endParagraph();
        }
    }

    void characters() override
    {
        if (m_skip == 0 && m_inText && !m_runHidden)
            write(m_xml.text());
    }

    void write(QStringView text)
    {
        m_paragraph.hasText = true;
        m_lines.append(text);
    }

    void endParagraph()
    {
        if (m_paragraph.markGone && !m_paragraph.hasText) {
            m_lines.discardParagraph();
            return;
        }
        QString numId = m_paragraph.numId;
        int level = m_paragraph.level;
        int outline = m_paragraph.outline;
        bool titled = false;
        QString styleId = m_paragraph.style;
        for (int depth = 0; depth < 16 && !styleId.isEmpty(); ++depth) {
            const auto found = m_styles.constFind(styleId);
            if (found == m_styles.cend())
                break;
            const QString styleName = found->name.toLower();
            titled = titled || styleName == u"title" ||
                     (styleName.startsWith(u"heading ") && styleName.size() == 9);
            if (numId.isEmpty())
                numId = found->numId;
            if (level < 0)
                level = found->level;
            if (outline < 0)
                outline = found->outline;
            styleId = found->basedOn;
        }
        const QString label = numId.isEmpty() || numId == u"0"
                                  ? QString()
                                  : m_counters.label(numId, std::max(level, 0));
        m_lines.endParagraph(label, titled || (outline >= 0 && outline < kLevels));
    }

    struct Paragraph
    {
        QString style;
        QString numId;
        int level = -1;
        int outline = -1;
        bool markGone = false;
        bool hasText = false;
    };

    const QHash<QString, ParagraphStyle> &m_styles;
    ListCounters m_counters;
    DocumentLines &m_lines;
    Paragraph m_paragraph;
    int m_skip = 0;
    bool m_inBody = false;
    bool m_inParagraphProperties = false;
    bool m_inMarkProperties = false;
    bool m_inRunProperties = false;
    bool m_runHidden = false;
    bool m_inText = false;
};

template <typename Reader> void readWhole(Reader &reader, QByteArrayView xml)
{
    if (xml.isEmpty())
        return;
    reader.addData(xml.data(), xml.size());
    reader.finish();
}

using BodyFeed = std::function<void(const std::function<void(const char *, qsizetype)> &)>;

DocumentText readDocument(QByteArrayView styles, QByteArrayView numbering, const BodyFeed &feed,
                          qsizetype maxLines, qsizetype maxCharacters)
{
    StylesReader styleReader;
    readWhole(styleReader, styles);
    NumberingReader numberingReader;
    readWhole(numberingReader, numbering);
    DocumentLines lines(maxLines, maxCharacters);
    BodyReader reader(styleReader.styles, numberingReader.numbering, lines);
    feed([&reader](const char *data, qsizetype size) { reader.addData(data, size); });
    reader.finish();
    return lines.take();
}

} // namespace

DocumentText wordXmlToLines(QByteArrayView body, QByteArrayView styles, QByteArrayView numbering,
                            qsizetype maxLines, qsizetype maxCharacters)
{
    return readDocument(
        styles, numbering, [body](const auto &sink) { sink(body.data(), body.size()); }, maxLines,
        maxCharacters);
}

DocumentText wordDocumentText(const ZipArchive &archive, qsizetype maxLines,
                              qsizetype maxCharacters)
{
    const QString bodyPart = QStringLiteral("word/document.xml");
    if (!archive.contains(bodyPart))
        throw TavrixError(texts::rsNotADocument);
    const auto part = [&archive](const QString &name) {
        return archive.contains(name) ? archive.readAll(name, kMaxPartBytes) : QByteArray();
    };
    return readDocument(
        part(QStringLiteral("word/styles.xml")), part(QStringLiteral("word/numbering.xml")),
        [&](const auto &sink) { archive.read(bodyPart, kMaxBodyBytes, sink); }, maxLines,
        maxCharacters);
}
