#include "pagebuilder.h"

#include <QGuiApplication>
#include <QLocale>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

class PageBuilderTest : public QObject
{
    Q_OBJECT

private:
    const QStringList head = {
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
    const QStringList tail = {
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
    const PageFont arial{QStringLiteral("Arial"), 24};

private Q_SLOTS:
    void headAndTail_areTheDocumentTypeAndStyleSheet()
    {
        const QStringList header = pageHeaderLines();
        QCOMPARE(header, head);
        QCOMPARE(pageFooterLines(), tail);
        // The broken-up identifiers of the program's page join to the real XHTML 1.0 names.
        QCOMPARE(header.value(3) + header.value(4),
                 QStringLiteral("\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd\">"));
        QCOMPARE(header.value(6).trimmed() + header.value(7),
                 QStringLiteral("xmlns=\"http://www.w3.org/1999/xhtml\">"));
    }

    // The whole page, written out line by line.
    void scriptPage_workedExample_wholeText()
    {
        const QStringList page =
            buildScriptPage({QStringLiteral("Good evening."), QStringLiteral("Here is the news.")},
                            QStringLiteral("/scripts/news.txt"), arial, false);
        const QString expected =
            QStringLiteral("<!DOCTYPE html PUBLIC \n"
                           "\"-//W3C//DTD XHTML 1.0 \n"
                           "Transitional//EN\" \n"
                           "\"http://www.w3.org/TR/xhtml1/DT\n"
                           "D/xhtml1-transitional.dtd\">\n"
                           "<html \n"
                           "xmlns=\"http://www.w3.org/1999/x \n"
                           "html\">\n"
                           "<head>\n"
                           "<meta http-equiv=\"Content-Type\" \n"
                           "content=\"text/html; \n"
                           "charset=utf-8\" \n"
                           "/>\n"
                           "<title>/scripts/news.txt</title>\n"
                           "<style type=\"text/css\">\n"
                           "<!--\n"
                           "body,td,th {\t\n"
                           "font-family: Arial;\n"
                           "font-size: 24px;\n"
                           "\tcolor: #FFFFFF;\n"
                           "}\n"
                           "body {\n"
                           "\tbackground-color: \n"
                           "#000000;\n"
                           "}\n"
                           "-->\n"
                           "</style></head>\n"
                           "\n"
                           "<body>\n"
                           "Good evening.<br>\n"
                           "Here is the news.<br>\n"
                           "<br>\n<br>\n<br>\n<br>\n<br>\n<br>\n<br>\n<br>\n<br>\n<br>\n<br>\n"
                           "</body></html>");
        QCOMPARE(page, expected.split(u'\n'));
    }

    void scriptPage_workedExample()
    {
        const QStringList script = {QStringLiteral("Good evening."),
                                    QStringLiteral("Here is the news.")};
        const QStringList page =
            buildScriptPage(script, QStringLiteral("/scripts/news.txt"), arial, false);
        QCOMPARE(page.size(), 43);
        QCOMPARE(page.mid(0, 13), head.mid(0, 13));
        QCOMPARE(page.at(13), QStringLiteral("<title>/scripts/news.txt</title>"));
        QCOMPARE(page.mid(14, 3), head.mid(14, 3));
        QCOMPARE(page.at(17), QStringLiteral("font-family: Arial;"));
        QCOMPARE(page.at(18), QStringLiteral("font-size: 24px;"));
        QCOMPARE(page.mid(19, 9), tail);
        QCOMPARE(page.at(28), QStringLiteral("<body>"));
        QCOMPARE(page.at(29), QStringLiteral("Good evening.<br>"));
        QCOMPARE(page.at(30), QStringLiteral("Here is the news.<br>"));
        for (int i = 31; i < 42; ++i)
            QCOMPARE(page.at(i), QStringLiteral("<br>"));
        QCOMPARE(page.at(42), QStringLiteral("</body></html>"));

        const QStringList upper =
            buildScriptPage(script, QStringLiteral("/scripts/news.txt"), arial, true);
        QCOMPARE(upper.at(29), QStringLiteral("GOOD EVENING.<br>"));
        QCOMPARE(upper.at(30), QStringLiteral("HERE IS THE NEWS.<br>"));
        for (int i = 0; i < 43; ++i) {
            if (i != 29 && i != 30)
                QCOMPARE(upper.at(i), page.at(i));
        }
    }

    void scriptPage_lines_data()
    {
        QTest::addColumn<QStringList>("script");
        QTest::addColumn<bool>("capitalize");
        QTest::addColumn<QStringList>("expectedBody");
        QTest::newRow("empty script") << QStringList() << false << QStringList();
        QTest::newRow("blank line kept")
            << QStringList{QStringLiteral("a"), QString(), QStringLiteral("b")} << false
            << QStringList{QStringLiteral("a<br>"), QStringLiteral("<br>"),
                           QStringLiteral("b<br>")};
        QTest::newRow("markup unescaped")
            << QStringList{QStringLiteral("a < b & c"), QStringLiteral("<b>bold</b>")} << false
            << QStringList{QStringLiteral("a < b & c<br>"), QStringLiteral("<b>bold</b><br>")};
        QTest::newRow("capitals beyond ASCII")
            << QStringList{QStringLiteral("straße café ñandú")} << true
            << QStringList{QStringLiteral("STRASSE CAFÉ ÑANDÚ<br>")};
        QTest::newRow("capitalize leaves markup case of br only")
            << QStringList{QStringLiteral("<i>x</i>")} << true
            << QStringList{QStringLiteral("<I>X</I><br>")};
    }

    void scriptPage_lines()
    {
        QFETCH(QStringList, script);
        QFETCH(bool, capitalize);
        QFETCH(QStringList, expectedBody);
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        const QStringList page = buildScriptPage(script, QString(), arial, capitalize);
        QCOMPARE(page.size(), 41 + script.size());
        QCOMPARE(page.at(28), QStringLiteral("<body>"));
        QCOMPARE(page.mid(29, script.size()), expectedBody);
        for (qsizetype i = 0; i < script.size(); ++i)
            QCOMPARE(page.at(scriptPageLine(i)), expectedBody.at(i));
        QCOMPARE(page.at(29 + script.size()), QStringLiteral("<br>"));
        QCOMPARE(page.constLast(), QStringLiteral("</body></html>"));
    }

    void scriptPage_titleAndFont()
    {
        const QStringList page =
            buildScriptPage({}, QString(), PageFont{QStringLiteral("Times New Roman"), 36}, false);
        QCOMPARE(page.at(13), QStringLiteral("<title></title>"));
        QCOMPARE(page.at(17), QStringLiteral("font-family: Times New Roman;"));
        QCOMPARE(page.at(18), QStringLiteral("font-size: 36px;"));
        // A title is inserted verbatim and only the exact phrase is replaced.
        const QStringList odd =
            buildScriptPage({}, QStringLiteral("<a&b> untitled document"), arial, false);
        QCOMPARE(odd.at(13), QStringLiteral("<title><a&b> untitled document</title>"));
    }

    // A face name from the settings file stays one name whatever it holds,
    // and nothing of it reaches the page's text.
    void fontName_staysOneName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("line");
        QTest::newRow("plain") << QStringLiteral("Arial") << QStringLiteral("font-family: Arial;");
        QTest::newRow("blanks") << QStringLiteral("DejaVu Sans Mono")
                                << QStringLiteral("font-family: DejaVu Sans Mono;");
        QTest::newRow("style injection")
            << QStringLiteral("Arial;}</style></head><body><h1>INJECTED HEADING</h1>")
            << QStringLiteral("font-family: \"Arial;}&lt;/style&gt;&lt;/head&gt;&lt;body&gt;"
                              "&lt;h1&gt;INJECTED HEADING&lt;/h1&gt;\";");
        QTest::newRow("quotes and backslash")
            << QStringLiteral("Sans\" 'x' \\ {y}")
            << QStringLiteral("font-family: \"Sans\\\" 'x' \\\\ {y}\";");
        QTest::newRow("comma and comment") << QStringLiteral("Serif, /* Mono */")
                                           << QStringLiteral("font-family: \"Serif, /* Mono */\";");
        QTest::newRow("line break") << QStringLiteral("Sans\r\nINJECTED")
                                    << QStringLiteral("font-family: \"Sans  INJECTED\";");
    }

    void fontName_staysOneName()
    {
        QFETCH(QString, name);
        QFETCH(QString, line);
        QStringList page = buildScriptPage({QStringLiteral("Script text")}, QStringLiteral("t"),
                                           PageFont{name, 24}, false);
        QCOMPARE(page.at(17), line);
        // The view hands the style to the engine without its comment markers.
        page.removeAll(QStringLiteral("<!--"));
        page.removeAll(QStringLiteral("-->"));
        QTextDocument document;
        document.setHtml(page.join(QStringLiteral("\r\n")));
        QVERIFY2(!document.toPlainText().contains(QStringLiteral("INJECTED")),
                 qPrintable(document.toPlainText()));
        QCOMPARE(document.toPlainText().trimmed(), QStringLiteral("Script text"));
        const QTextCharFormat chars = document.begin().begin().fragment().charFormat();
        QCOMPARE(chars.fontFamilies().toStringList().value(0),
                 QString(name).replace(u'\r', u' ').replace(u'\n', u' '));
        QCOMPARE(chars.font().pixelSize(), 24);
    }

    void startupPage_wholeText()
    {
        const QString expected = QStringLiteral("<!DOCTYPE html PUBLIC \n"
                                                "\"-//W3C//DTD XHTML 1.0 \n"
                                                "Transitional//EN\" \n"
                                                "\"http://www.w3.org/TR/xhtml1/DT\n"
                                                "D/xhtml1-transitional.dtd\">\n"
                                                "<html \n"
                                                "xmlns=\"http://www.w3.org/1999/x \n"
                                                "html\">\n"
                                                "<head>\n"
                                                "<meta http-equiv=\"Content-Type\" \n"
                                                "content=\"text/html; \n"
                                                "charset=utf-8\" \n"
                                                "/>\n"
                                                "<title>Untitled Document</title>\n"
                                                "<style type=\"text/css\">\n"
                                                "<!--\n"
                                                "body,td,th {\t\n"
                                                "font-size: 36px;\n"
                                                "font-family: Times New Roman;\n"
                                                "\tcolor: #FFFFFF;\n"
                                                "}\n"
                                                "body {\n"
                                                "\tbackground-color: \n"
                                                "#000000;\n"
                                                "}\n"
                                                "-->\n"
                                                "</style></head>\n"
                                                "\n"
                                                "</body></html>");
        QCOMPARE(buildStartupPage(PageFont{QStringLiteral("Times New Roman"), 36}),
                 expected.split(u'\n'));
    }

    void startupPage_has29Lines()
    {
        const QStringList page = buildStartupPage(arial);
        QCOMPARE(page.size(), 29);
        QCOMPARE(page.mid(0, 17), head);
        QCOMPARE(page.at(17), QStringLiteral("font-size: 24px;"));
        QCOMPARE(page.at(18), QStringLiteral("font-family: Arial;"));
        QCOMPARE(page.mid(19, 9), tail);
        QCOMPARE(page.at(28), QStringLiteral("</body></html>"));
        QVERIFY(!page.contains(QStringLiteral("<body>")));
    }
};

QTEST_MAIN(PageBuilderTest)
#include "tst_pagebuilder.moc"
