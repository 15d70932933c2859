#include "documentlines.h"
#include "markdowntext.h"
#include "odttext.h"
#include "rtftext.h"
#include "scriptreader.h"
#include "tavrixerror.h"
#include "textfile.h"
#include "texts.h"
#include "wordtext.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <zip.h>

using namespace Qt::StringLiterals;

namespace {

using Members = QList<std::pair<QString, QByteArray>>;

const QByteArray kWordHead = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
                             "<w:document xmlns:w=\"http://schemas.openxmlformats.org/"
                             "wordprocessingml/2006/main\"><w:body>";
const QByteArray kWordTail = "</w:body></w:document>";

QByteArray wrapBody(const QByteArray &paragraphs)
{
    return kWordHead + paragraphs + kWordTail;
}

// A zip of `members`, deflated as word processors write them.
void writeZip(const QString &path, const Members &members)
{
    int error = 0;
    zip_t *archive =
        zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    QVERIFY(archive);
    for (const auto &[name, bytes] : members) {
        zip_source_t *source =
            zip_source_buffer(archive, bytes.constData(), zip_uint64_t(bytes.size()), 0);
        const zip_int64_t index =
            zip_file_add(archive, name.toUtf8().constData(), source, ZIP_FL_OVERWRITE);
        QVERIFY(index >= 0);
        zip_set_file_compression(archive, zip_uint64_t(index), ZIP_CM_DEFLATE, 1);
    }
    QCOMPARE(zip_close(archive), 0);
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

QString fixture(const QString &name)
{
    return QStringLiteral(TAVRIX_TEST_DATA "/documents/") + name;
}

QString readFailure(const QString &path)
{
    try {
        readDocumentFile(path);
    } catch (const TavrixError &error) {
        return error.message();
    }
    return {};
}

} // namespace

class DocumentsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Each feature as each maker writes it; the expected lines are written out.
    void readsWhatWordProcessorsWrite_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QList<qsizetype>>("headings");
        const QStringList news{u"Evening News"_s,
                               u"Good evening, and welcome to the news. Here is the weather."_s,
                               u"Headlines"_s,
                               u"• The council meets today."_s,
                               u"• Rain moves in from the west."_s,
                               u"1. First story"_s,
                               u"2. Second story"_s,
                               u"Place"_s,
                               u"Weather"_s,
                               u"North"_s,
                               u"Rain"_s,
                               u"South"_s,
                               u"Sun"_s,
                               u"Line one"_s,
                               u"line two"_s,
                               u"Straße, café, Ελλάδα, Москва, 東京."_s};
        for (const QString &file : {u"source.md"_s, u"pandoc.docx"_s, u"libreoffice.docx"_s,
                                    u"pandoc.odt"_s, u"libreoffice.odt"_s})
            QTest::newRow(qPrintable(file)) << file << news << QList<qsizetype>{0, 2};
        // A title, headings, both kinds of list, a picture (its paragraph stays
        // empty), a table, a tab and a line break, right-to-left and CJK text.
        const QStringList structure{u"Running Order"_s,
                                    u"Opening"_s,
                                    u"Welcome back."_s,
                                    u"• Cue the band"_s,
                                    u"• Lights down"_s,
                                    u"1. Greet the guest"_s,
                                    u"2. Start the interview"_s,
                                    QString(),
                                    u"Close"_s,
                                    u"Who"_s,
                                    u"When"_s,
                                    u"Anna"_s,
                                    u"9:05"_s,
                                    u"Tab here"_s,
                                    u"next line"_s,
                                    u"مساء الخير"_s,
                                    u"晚上好，欢迎收看新闻。"_s};
        for (const QString &file : {u"pydocx_structure.docx"_s, u"libreoffice_structure.odt"_s})
            QTest::newRow(qPrintable(file)) << file << structure << QList<qsizetype>{0, 1, 8};
        const QStringList tracked{u"Kept inserted end."_s, u"Second paragraph."_s};
        QTest::newRow("tracked changes, python-docx")
            << u"pydocx_tracked.docx"_s << tracked << QList<qsizetype>();
        QTest::newRow("tracked changes, LibreOffice")
            << u"libreoffice_tracked.odt"_s << tracked << QList<qsizetype>();
        // Headers and footers never show; a hidden run does not, its paragraph does.
        const QStringList hidden{u"Seen too."_s, QString(), u"After."_s};
        QTest::newRow("hidden text, python-docx")
            << u"pydocx_hidden.docx"_s << hidden << QList<qsizetype>();
        QTest::newRow("hidden text, LibreOffice")
            << u"libreoffice_hidden.odt"_s << hidden << QList<qsizetype>();
        // LibreOffice works the page number out again when it converts.
        QTest::newRow("fields, python-docx")
            << u"pydocx_fields.docx"_s << QStringList{u"Page 7 of the show."_s, u"By Ed Writer"_s}
            << QList<qsizetype>();
        QTest::newRow("fields, LibreOffice")
            << u"libreoffice_fields.odt"_s
            << QStringList{u"Page 1 of the show."_s, u"By Ed Writer"_s} << QList<qsizetype>();
    }

    void readsWhatWordProcessorsWrite()
    {
        QFETCH(QString, file);
        QFETCH(QStringList, lines);
        QFETCH(QList<qsizetype>, headings);
        const DocumentText text = readDocumentFile(fixture(file));
        QCOMPARE(text.lines, lines);
        QCOMPARE(text.headings, headings);
        QCOMPARE(readScript(fixture(file)), lines);
    }

    void longDocument_readsEveryParagraph()
    {
        const DocumentText text = readDocumentFile(fixture(u"pydocx_long.docx"_s));
        QCOMPARE(text.lines.size(), 2000);
        QCOMPARE(text.lines.constFirst(), u"Paragraph 1 of the long script."_s);
        QCOMPARE(text.lines.constLast(), u"Paragraph 2000 of the long script."_s);
    }

    // Each file is refused with the program's message, or read within the limits.
    void badInput_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<Members>("members"); // empty: `bytes` is the file
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reason");
        const QString notDocument = texts::rsNotADocument;
        const QString entities = texts::rsDocumentMalformed.arg(u"it declares entities"_s).arg(1);
        QTest::newRow("plain text named .docx")
            << u"a.docx"_s << Members() << QByteArray("Hello\r\n") << notDocument;
        QTest::newRow("empty .odt") << u"a.odt"_s << Members() << QByteArray() << notDocument;
        QTest::newRow("older Word or a password")
            << u"a.docx"_s << Members()
            << QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1 rest of the compound file")
            << texts::rsDocumentOldOrLocked;
        QTest::newRow("zip without word/document.xml")
            << u"a.docx"_s << Members{{u"hello.txt"_s, "hello"}} << QByteArray() << notDocument;
        QTest::newRow("zip cut short")
            << u"a.docx"_s << Members() << QByteArray("PK\x03\x04\x14\0\0\0", 8) << notDocument;
        QTest::newRow("OpenDocument with a password")
            << u"a.odt"_s
            << Members{{u"content.xml"_s, "\x9A\x12 encrypted"},
                       {u"META-INF/manifest.xml"_s,
                        "<manifest:manifest><manifest:encryption-data/></manifest:manifest>"}}
            << QByteArray() << texts::rsDocumentEncrypted;
        QTest::newRow("external entity")
            << u"a.docx"_s
            << Members{{u"word/document.xml"_s,
                        "<!DOCTYPE d [<!ENTITY x SYSTEM \"file:///etc/passwd\">]><d>&x;</d>"}}
            << QByteArray() << entities;
        QTest::newRow("billion laughs")
            << u"a.odt"_s
            << Members{{u"content.xml"_s,
                        "<!DOCTYPE d [<!ENTITY a \"lol\"><!ENTITY b \"&a;&a;&a;&a;&a;\">"
                        "<!ENTITY c \"&b;&b;&b;&b;&b;\">]><d>&c;</d>"}}
            << QByteArray() << entities;
        QTest::newRow("malformed XML")
            << u"a.docx"_s << Members{{u"word/document.xml"_s, kWordHead + "<w:p><w:r>"}}
            << QByteArray()
            << texts::rsDocumentMalformed.arg(u"Premature end of document."_s).arg(1);
        QTest::newRow("a member that unpacks past the limit")
            << u"a.docx"_s << Members{{u"word/document.xml"_s, QByteArray(257 * 1024 * 1024, ' ')}}
            << QByteArray() << texts::rsDocumentTooLarge.arg(256);
        QTest::newRow("100,001 empty paragraphs")
            << u"a.docx"_s
            << Members{{u"word/document.xml"_s, wrapBody("<w:p/>"_ba.repeated(100001))}}
            << QByteArray() << texts::rsScriptTooLong.arg(u"100,001"_s, u"100,000"_s);
        QTest::newRow("8,000,001 characters")
            << u"a.md"_s << Members() << QByteArray(4000, 'x').append("\n\n").repeated(2001)
            << texts::rsScriptTooBig.arg(u"8,004,000"_s, u"8,000,000"_s);
    }

    void badInput()
    {
        QFETCH(QString, name);
        QFETCH(Members, members);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        if (members.isEmpty())
            writeFile(path, bytes);
        else
            writeZip(path, members);
        QCOMPARE(readFailure(path), texts::rsCannotOpenFile.arg(path, reason));
    }

    void limits_areKeptWithoutRefusing()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"a.docx"_s);
        // A 5 MB paragraph is cut as rich text lines are; exactly as many lines as allowed read.
        writeZip(path,
                 {{u"word/document.xml"_s,
                   wrapBody(QByteArray("<w:p><w:r><w:t>" + QByteArray(5 * 1024 * 1024, 'x') +
                                       "</w:t></w:r></w:p>" + "<w:p/>"_ba.repeated(99999)))}});
        const DocumentText text = readDocumentFile(path);
        QCOMPARE(text.lines.size(), 100000);
        QCOMPARE(text.lines.constFirst(), QString(kMaxRichTextLineLength, u'x'));
    }

    // Word's own ways of writing what the fixtures do not show.
    void wordBody_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QByteArray>("styles");
        QTest::addColumn<QByteArray>("numbering");
        QTest::addColumn<QStringList>("lines");
        const QByteArray ns =
            "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"";
        const QByteArray numbering =
            "<w:numbering " + ns +
            "><w:abstractNum w:abstractNumId=\"5\"><w:lvl w:ilvl=\"0\"><w:start w:val=\"3\"/>"
            "<w:numFmt w:val=\"upperRoman\"/><w:lvlText w:val=\"%1)\"/></w:lvl>"
            "<w:lvl w:ilvl=\"1\"><w:numFmt w:val=\"lowerLetter\"/><w:lvlText "
            "w:val=\"%1.%2\"/></w:lvl>"
            "</w:abstractNum><w:num w:numId=\"1\"><w:abstractNumId w:val=\"5\"/></w:num>"
            "</w:numbering>";
        const auto item = [](int level, const char *text) -> QByteArray {
            return "<w:p><w:pPr><w:numPr><w:ilvl w:val=\"" + QByteArray::number(level) +
                   "\"/><w:numId w:val=\"1\"/></w:numPr></w:pPr><w:r><w:t>" + text +
                   "</w:t></w:r></w:p>";
        };
        QTest::newRow("numbering: start, levels and their formats")
            << item(0, "one") + item(1, "sub") + item(1, "sub") + item(0, "two") + item(1, "sub")
            << QByteArray() << numbering
            << QStringList{u"III) one"_s, u"III.a sub"_s, u"III.b sub"_s, u"IV) two"_s,
                           u"IV.a sub"_s};
        QTest::newRow("a moved paragraph shows once; a deleted paragraph mark takes no line")
            << "<w:p><w:moveFrom><w:r><w:t>old place</w:t></w:r></w:moveFrom></w:p>"
               "<w:p><w:pPr><w:rPr><w:del/></w:rPr></w:pPr><w:del><w:r><w:delText>gone"
               "</w:delText></w:r></w:del></w:p><w:p><w:moveTo><w:r><w:t>new place</w:t>"
               "</w:r></w:moveTo></w:p>"_ba
            << QByteArray() << QByteArray() << QStringList{QString(), u"new place"_s};
        QTest::newRow("text boxes are left out, once")
            << "<w:p><w:r><w:t>before </w:t></w:r><mc:AlternateContent xmlns:mc=\""
               "http://schemas.openxmlformats.org/markup-compatibility/2006\"><mc:Choice>"
               "<w:r><w:drawing><w:p><w:r><w:t>box</w:t></w:r></w:p></w:drawing></w:r>"
               "</mc:Choice><mc:Fallback><w:r><w:t>box</w:t></w:r></mc:Fallback>"
               "</mc:AlternateContent><w:r><w:t>after</w:t></w:r></w:p>"_ba
            << QByteArray() << QByteArray() << QStringList{u"before after"_s};
        QTest::newRow("a heading style by its name, an outline level on the paragraph")
            << "<w:p><w:pPr><w:pStyle w:val=\"Berschrift1\"/></w:pPr><w:r><w:t>Kopf</w:t>"
               "</w:r></w:p><w:p><w:pPr><w:outlineLvl w:val=\"2\"/></w:pPr><w:r><w:t>Part"
               "</w:t></w:r></w:p><w:p><w:r><w:t>Body</w:t><w:tab/><w:noBreakHyphen/>"
               "<w:br w:type=\"page\"/><w:cr/><w:t>end</w:t></w:r></w:p>"_ba
            << "<w:styles " + ns +
                   "><w:style w:type=\"paragraph\" w:styleId=\"Berschrift1\"><w:name w:val="
                   "\"heading 1\"/></w:style></w:styles>"
            << QByteArray() << QStringList{u"Kopf"_s, u"Part"_s, u"Body -"_s, u"end"_s};
    }

    void wordBody()
    {
        QFETCH(QByteArray, body);
        QFETCH(QByteArray, styles);
        QFETCH(QByteArray, numbering);
        QFETCH(QStringList, lines);
        QCOMPARE(wordXmlToLines(wrapBody(body), styles, numbering, 100, 10000).lines, lines);
    }

    void listNumber_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<QChar>("style");
        QTest::addColumn<QString>("text");
        QTest::newRow("decimal") << 12 << QChar(u'1') << u"12"_s;
        QTest::newRow("letters past z") << 28 << QChar(u'a') << u"ab"_s;
        QTest::newRow("capital letters") << 26 << QChar(u'A') << u"Z"_s;
        QTest::newRow("roman") << 1994 << QChar(u'i') << u"mcmxciv"_s;
        QTest::newRow("capital roman") << 3999 << QChar(u'I') << u"MMMCMXCIX"_s;
        QTest::newRow("roman past 3999 is decimal") << 4000 << QChar(u'I') << u"4000"_s;
        QTest::newRow("nothing to letter") << 0 << QChar(u'a') << u"0"_s;
    }

    void listNumber()
    {
        QFETCH(int, value);
        QFETCH(QChar, style);
        QFETCH(QString, text);
        QCOMPARE(::listNumber(value, style), text);
    }

    void markdown_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("code block lines, raw HTML and pictures left out")
            << u"Intro <b>bold</b> ![logo](a.png)\n\n```\nfirst\n\n  indented\n```\n\n<div>x</div>\n"_s
            << QStringList{u"Intro bold "_s, u"first"_s, QString(), u"  indented"_s};
        QTest::newRow("nested and loose lists, numbers from their start")
            << u"3) three\n4) four\n   - inner\n\n- loose\n\n  more\n- \n"_s
            << QStringList{u"3) three"_s, u"4) four"_s, u"• inner"_s,
                           u"• loose"_s,  u"more"_s,    u"• "_s};
        QTest::newRow("entities") << u"&amp; &#233; &#x1F600; &bogus; &#0;"_s
                                  << QStringList{u"& é 😀 &bogus; \uFFFD"_s};
    }

    void markdown()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, lines);
        QCOMPARE(markdownToLines(text, 100, 10000).lines, lines);
    }

    // Quick edit writes plain text: it must never propose to write over a document.
    void quickEditProposesPlainText_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("proposed");
        QTest::newRow("Word") << u"/s/talk.DOCX"_s << u"/s/talk.txt"_s;
        QTest::newRow("OpenDocument") << u"/s/talk.odt"_s << u"/s/talk.txt"_s;
        QTest::newRow("Markdown") << u"/s/talk.markdown"_s << u"/s/talk.txt"_s;
        QTest::newRow("plain text") << u"/s/talk.text"_s << u"/s/talk.text"_s;
    }

    void quickEditProposesPlainText()
    {
        QFETCH(QString, script);
        QFETCH(QString, proposed);
        QCOMPARE(plainTextFileFor(script), proposed);
    }
};

QTEST_GUILESS_MAIN(DocumentsTest)
#include "tst_documents.moc"
