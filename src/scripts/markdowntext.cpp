#include "markdowntext.h"

#include <QList>

#include <utility>

#include <md4c.h>

namespace {

struct List
{
    bool ordered = false;
    unsigned number = 1;
    char delimiter = '.';
};

class MarkdownReader
{
public:
    MarkdownReader(qsizetype maxLines, qsizetype maxCharacters) : m_lines(maxLines, maxCharacters)
    {}

    DocumentText read(const QByteArray &utf8)
    {
        MD_PARSER parser = {};
        parser.flags = MD_DIALECT_GITHUB;
        parser.enter_block = [](MD_BLOCKTYPE type, void *detail, void *self) {
            return static_cast<MarkdownReader *>(self)->enterBlock(type, detail);
        };
        parser.leave_block = [](MD_BLOCKTYPE type, void *, void *self) {
            return static_cast<MarkdownReader *>(self)->leaveBlock(type);
        };
        parser.enter_span = [](MD_SPANTYPE type, void *, void *self) {
            static_cast<MarkdownReader *>(self)->m_pictures += type == MD_SPAN_IMG;
            return 0;
        };
        parser.leave_span = [](MD_SPANTYPE type, void *, void *self) {
            static_cast<MarkdownReader *>(self)->m_pictures -= type == MD_SPAN_IMG;
            return 0;
        };
        parser.text = [](MD_TEXTTYPE type, const MD_CHAR *text, MD_SIZE size, void *self) {
            static_cast<MarkdownReader *>(self)->onText(type, QByteArrayView(text, size));
            return 0;
        };
        md_parse(utf8.constData(), MD_SIZE(utf8.size()), &parser, this);
        return m_lines.take();
    }

private:
    int enterBlock(MD_BLOCKTYPE type, void *detail)
    {
        switch (type) {
        case MD_BLOCK_UL:
            m_lists.append(List());
            break;
        case MD_BLOCK_OL: {
            const auto *ordered = static_cast<const MD_BLOCK_OL_DETAIL *>(detail);
            m_lists.append({true, ordered->start, ordered->mark_delimiter});
            break;
        }
        case MD_BLOCK_LI:
            endLine();
            m_label = itemLabel();
            break;
        case MD_BLOCK_H:
        case MD_BLOCK_P:
        case MD_BLOCK_CODE:
        case MD_BLOCK_TH:
        case MD_BLOCK_TD:
            endLine();
            m_heading = type == MD_BLOCK_H;
            m_code = type == MD_BLOCK_CODE;
            break;
        default:
            break;
        }
        return 0;
    }

    int leaveBlock(MD_BLOCKTYPE type)
    {
        switch (type) {
        case MD_BLOCK_UL:
        case MD_BLOCK_OL:
            if (!m_lists.isEmpty())
                m_lists.removeLast();
            break;
        case MD_BLOCK_LI:
            // An empty item still shows its bullet or number.
            if (!m_label.isEmpty())
                m_lines.append(u"");
            endLine();
            break;
        case MD_BLOCK_H:
        case MD_BLOCK_P:
        case MD_BLOCK_TH:
        case MD_BLOCK_TD:
        case MD_BLOCK_CODE:
            endLine();
            m_code = false;
            break;
        default:
            break;
        }
        return 0;
    }

    QString itemLabel()
    {
        if (m_lists.isEmpty())
            return {};
        List &list = m_lists.last();
        if (!list.ordered)
            return QStringLiteral("• ");
        return QString::number(list.number++) + QLatin1Char(list.delimiter) + u' ';
    }

    void onText(MD_TEXTTYPE type, QByteArrayView text)
    {
        if (m_pictures > 0)
            return;
        switch (type) {
        case MD_TEXT_BR:
            m_lines.breakLine();
            return;
        case MD_TEXT_SOFTBR:
            m_lines.append(u" ");
            return;
        case MD_TEXT_HTML:
            return;
        case MD_TEXT_NULLCHAR:
            m_lines.append(u"\uFFFD");
            return;
        case MD_TEXT_ENTITY:
            m_lines.append(entity(text));
            return;
        default:
            break;
        }
        QString decoded = QString::fromUtf8(text);
        if (!m_code) {
            m_lines.append(decoded);
            return;
        }
        const QStringList lines = decoded.split(u'\n');
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (i > 0)
                endLine();
            if (!lines.at(i).isEmpty() || i + 1 < lines.size())
                m_lines.append(lines.at(i));
        }
    }

    static QString entity(QByteArrayView text)
    {
        const QByteArray name(text.data(), text.size());
        if (name.startsWith("&#")) {
            bool ok = false;
            const uint code = name.startsWith("&#x") || name.startsWith("&#X")
                                  ? name.mid(3).chopped(1).toUInt(&ok, 16)
                                  : name.mid(2).chopped(1).toUInt(&ok, 10);
            if (ok && code > 0 && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF)) {
                const char32_t character = code;
                return QString::fromUcs4(&character, 1);
            }
            return QStringLiteral("\uFFFD");
        }
        static const QList<std::pair<QByteArray, QString>> named = {
            {"&amp;", QStringLiteral("&")},         {"&lt;", QStringLiteral("<")},
            {"&gt;", QStringLiteral(">")},          {"&quot;", QStringLiteral("\"")},
            {"&apos;", QStringLiteral("'")},        {"&nbsp;", QStringLiteral("\u00A0")},
            {"&mdash;", QStringLiteral("\u2014")},  {"&ndash;", QStringLiteral("\u2013")},
            {"&hellip;", QStringLiteral("\u2026")}, {"&copy;", QStringLiteral("\u00A9")},
        };
        for (const auto &[key, value] : named) {
            if (key == name)
                return value;
        }
        return QString::fromUtf8(name);
    }

    // Ends the line being read, if any; a list item's label waits for its first line.
    void endLine()
    {
        if (!m_lines.inParagraph())
            return;
        m_lines.endParagraph(std::exchange(m_label, {}), std::exchange(m_heading, false));
    }

    DocumentLines m_lines;
    QList<List> m_lists;
    QString m_label;
    bool m_heading = false;
    bool m_code = false;
    int m_pictures = 0;
};

} // namespace

DocumentText markdownToLines(QStringView text, qsizetype maxLines, qsizetype maxCharacters)
{
    return MarkdownReader(maxLines, maxCharacters).read(text.toUtf8());
}
