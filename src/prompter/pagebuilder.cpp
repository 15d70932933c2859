#include "pagebuilder.h"

#include <QLocale>

#include <algorithm>

namespace {

const QString kUntitled = QStringLiteral("Untitled Document");
const QString kBreak = QStringLiteral("<br>");
const QString kClosing = QStringLiteral("</body></html>");

QString fontSizeLine(const PageFont &font)
{
    return QStringLiteral("font-size: ") + QString::number(font.size) + QStringLiteral("px;");
}

// A face name goes in as it is unless it holds a character that would end
// the declaration, the rule or the style block (a name read from the settings
// file can hold anything); such a name becomes one quoted CSS string.
QString cssFamily(const QString &name)
{
    static const QString special = QStringLiteral(";,{}<>&/\"'\\");
    const bool plain = std::none_of(name.begin(), name.end(), [](QChar c) {
        return special.contains(c) || c.unicode() < 0x20 || c.unicode() == 0x7F;
    });
    if (plain)
        return name;
    QString quoted = QStringLiteral("\"");
    for (const QChar c : name) {
        if (c == u'"' || c == u'\\')
            quoted += u'\\';
        if (c == u'<')
            quoted += QStringLiteral("&lt;");
        else if (c == u'>')
            quoted += QStringLiteral("&gt;");
        else if (c == u'&')
            quoted += QStringLiteral("&amp;");
        else if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            quoted += u' ';
        else
            quoted += c;
    }
    return quoted + u'"';
}

QString fontFamilyLine(const PageFont &font)
{
    return QStringLiteral("font-family: ") + cssFamily(font.name) + QStringLiteral(";");
}

} // namespace

const QStringList &pageHeaderLines()
{
    static const QStringList lines = {
        QStringLiteral("<!DOCTYPE html PUBLIC "),
        QStringLiteral("\"-//W3C//DTD XHTML 1.0 "),
        QStringLiteral("Transitional//EN\" "),
        QStringLiteral("\"http://www.w3.org/TR/xhtml1/DT"),
        QStringLiteral("D/xhtml1-transitional.dtd\">"),
        QStringLiteral("<html "),
        QStringLiteral("xmlns=\"http://www.w3.org/1999/x "),
        QStringLiteral("html\">"),
        QStringLiteral("<head>"),
        QStringLiteral("<meta http-equiv=\"Content-Type\" "),
        QStringLiteral("content=\"text/html; "),
        QStringLiteral("charset=utf-8\" "),
        QStringLiteral("/>"),
        QStringLiteral("<title>Untitled Document</title>"),
        QStringLiteral("<style type=\"text/css\">"),
        QStringLiteral("<!--"),
        QStringLiteral("body,td,th {\t"),
    };
    return lines;
}

const QStringList &pageFooterLines()
{
    static const QStringList lines = {
        QStringLiteral("\tcolor: #FFFFFF;"),
        QStringLiteral("}"),
        QStringLiteral("body {"),
        QStringLiteral("\tbackground-color: "),
        QStringLiteral("#000000;"),
        QStringLiteral("}"),
        QStringLiteral("-->"),
        QStringLiteral("</style></head>"),
        QString(),
    };
    return lines;
}

QStringList buildScriptPage(const QStringList &scriptLines, const QString &title,
                            const PageFont &font, bool capitalize)
{
    QStringList page;
    page.reserve(pageHeaderLines().size() + pageFooterLines().size() + scriptLines.size() + 15);
    for (const QString &line : pageHeaderLines()) {
        QString copy = line;
        page.append(copy.replace(kUntitled, title));
    }
    page.append(fontFamilyLine(font));
    page.append(fontSizeLine(font));
    page.append(pageFooterLines());
    page.append(QStringLiteral("<body") + QStringLiteral(">"));
    const QLocale locale;
    for (const QString &line : scriptLines)
        page.append((capitalize ? locale.toUpper(line) : line) + kBreak);
    for (int i = 0; i < 11; ++i)
        page.append(kBreak);
    page.append(kClosing);
    return page;
}

qsizetype scriptPageLine(qsizetype line)
{
    // The head, the two font lines, the tail and <body>.
    return pageHeaderLines().size() + 2 + pageFooterLines().size() + 1 + line;
}

QStringList buildStartupPage(const PageFont &font)
{
    QStringList page = pageHeaderLines();
    page.append(fontSizeLine(font));
    page.append(fontFamilyLine(font));
    page.append(pageFooterLines());
    page.append(kClosing);
    return page;
}
