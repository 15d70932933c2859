#include "textdecoder.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QByteArray readData(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing test data %s", qPrintable(path));
    return file.readAll();
}

QByteArray bytes(std::initializer_list<unsigned char> values)
{
    QByteArray result;
    for (const unsigned char value : values)
        result.append(char(value));
    return result;
}

} // namespace

class TextDecoderTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void decodeText_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << QByteArray() << QString();
        QTest::newRow("utf-16 le mark")
            << bytes({0xFF, 0xFE, 'A', 0, 0xE9, 0, 0x16, 0x04}) << u"AéЖ"_s;
        QTest::newRow("utf-16 be mark")
            << bytes({0xFE, 0xFF, 0, 'A', 0, 0xE9, 0x04, 0x16}) << u"AéЖ"_s;
        QTest::newRow("utf-16 le pair") << bytes({0xFF, 0xFE, 0x3D, 0xD8, 0x00, 0xDE}) << u"😀"_s;
        QTest::newRow("utf-16 be pair") << bytes({0xFE, 0xFF, 0xD8, 0x3D, 0xDE, 0x00}) << u"😀"_s;
        QTest::newRow("utf-16 lone high surrogate")
            << bytes({0xFF, 0xFE, 0x3D, 0xD8, 'A', 0}) << u"\uFFFDA"_s;
        QTest::newRow("utf-16 lone low surrogate")
            << bytes({0xFF, 0xFE, 'A', 0, 0x00, 0xDE}) << u"A\uFFFD"_s;
        QTest::newRow("utf-16 le odd length") << bytes({0xFF, 0xFE, 'A', 0, 'B'}) << u"A\uFFFD"_s;
        QTest::newRow("utf-16 be odd length") << bytes({0xFE, 0xFF, 0, 'A', 0}) << u"A\uFFFD"_s;
        QTest::newRow("utf-16 mark only") << bytes({0xFF, 0xFE}) << QString();
        QTest::newRow("utf-16 NUL ends the text")
            << bytes({0xFF, 0xFE, 'A', 0, 0, 0, 'B', 0}) << u"A"_s;
        QTest::newRow("FF FE 00 00 is empty") << bytes({0xFF, 0xFE, 0, 0, 'A', 0}) << QString();
        QTest::newRow("utf-8 mark dropped") << QByteArray("\xEF\xBB\xBF"
                                                          "caf\xC3\xA9")
                                            << u"café"_s;
        QTest::newRow("utf-8 second mark is text")
            << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBFx") << u"\uFEFFx"_s;
        QTest::newRow("utf-8 mark, invalid byte replaced") << QByteArray("\xEF\xBB\xBF"
                                                                         "a\xFF"
                                                                         "b")
                                                           << u"a\uFFFDb"_s;
        QTest::newRow("utf-8 without mark")
            << QByteArray("\xD0\x96 \xE2\x82\xAC \xF0\x9F\x98\x80") << u"Ж € 😀"_s;
        QTest::newRow("1252 e9") << QByteArray("caf\xE9") << u"café"_s;
        QTest::newRow("1252 80") << QByteArray("\x80") << u"€"_s;
        QTest::newRow("1252 quotes and dashes")
            << QByteArray("\x93q\x94 \x91s\x92 \x96\x97\x85\x9F") << u"“q” ‘s’ –—…Ÿ"_s;
        QTest::newRow("1252 undefined bytes")
            << QByteArray("\x81\x8D\x8F\x90\x9D") << u"\u0081\u008D\u008F\u0090\u009D"_s;
        QTest::newRow("1252 lone FE") << QByteArray("\xFE") << u"þ"_s;
        QTest::newRow("one bad byte makes all of it 1252")
            << QByteArray("\xC3\xA9 \xE9") << u"Ã© é"_s;
        QTest::newRow("truncated utf-8 sequence is 1252") << QByteArray("ab\xE2\x82") << u"abâ‚"_s;
        QTest::newRow("encoded surrogate is 1252") << QByteArray("\xED\xA0\x80") << u"í\u00A0€"_s;
        QTest::newRow("overlong NUL is 1252") << QByteArray("a\xC0\x80") << u"aÀ€"_s;
        QTest::newRow("8-bit NUL ends the text") << QByteArray("ab\0cd", 5) << u"ab"_s;
        QTest::newRow("utf-16 without mark stops at first zero")
            << bytes({'H', 0, 'i', 0}) << u"H"_s;
        QTest::newRow("bytes after the NUL do not choose the encoding")
            << QByteArray("caf\xC3\xA9\0\xFF", 7) << u"café"_s;
    }

    void decodeText()
    {
        QFETCH(QByteArray, input);
        QFETCH(QString, text);
        QCOMPARE(::decodeText(input), text);
    }

    void splitLines_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("empty") << QString() << QStringList();
        QTest::newRow("a CR LF b CR LF") << u"a\r\nb\r\n"_s << QStringList{u"a"_s, u"b"_s};
        QTest::newRow("a CR LF CR LF") << u"a\r\n\r\n"_s << QStringList{u"a"_s, QString()};
        QTest::newRow("a LF b CR c") << u"a\nb\rc"_s << QStringList{u"a"_s, u"b"_s, u"c"_s};
        QTest::newRow("no final break") << u"a\nb"_s << QStringList{u"a"_s, u"b"_s};
        QTest::newRow("only a break") << u"\r\n"_s << QStringList{QString()};
        QTest::newRow("CR CR is two breaks")
            << u"a\r\rb"_s << QStringList{u"a"_s, QString(), u"b"_s};
        QTest::newRow("LF CR is two breaks")
            << u"a\n\rb"_s << QStringList{u"a"_s, QString(), u"b"_s};
        QTest::newRow("leading breaks") << u"\n\na"_s << QStringList{QString(), QString(), u"a"_s};
        QTest::newRow("other controls stay")
            << u"a\tb\fc\u2028d"_s << QStringList{u"a\tb\fc\u2028d"_s};
    }

    void splitLines()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, lines);
        QCOMPARE(::splitLines(text), lines);
    }

    void decodeLines_textFiles_data()
    {
        QTest::addColumn<QString>("name");
        const QDir dir(QStringLiteral(TAVRIX_TEST_DATA "/text"));
        const QStringList files = dir.entryList({QStringLiteral("*.txt")}, QDir::Files);
        int count = 0;
        for (const QString &file : files) {
            if (file.endsWith(QLatin1String(".expected.txt")))
                continue;
            QTest::newRow(qPrintable(file)) << file.chopped(4);
            ++count;
        }
        QCOMPARE(count, 10);
    }

    void decodeLines_textFiles()
    {
        QFETCH(QString, name);
        const QString base = QStringLiteral(TAVRIX_TEST_DATA "/text/") + name;
        QString expected = QString::fromUtf8(readData(base + QStringLiteral(".expected.txt")));
        expected.chop(1); // every expected line ends with LF, the last one too
        QCOMPARE(decodeLines(readData(base + QStringLiteral(".txt"))), expected.split(u'\n'));
    }

    void encodeText_isUtf8WithoutMark()
    {
        const QString text = u"/home/zoë/Сценарий 1.txt\r\n😀"_s;
        const QByteArray encoded = ::encodeText(text);
        QCOMPARE(encoded, QByteArray("/home/zo\xC3\xAB/\xD0\xA1\xD1\x86\xD0\xB5\xD0\xBD\xD0\xB0"
                                     "\xD1\x80\xD0\xB8\xD0\xB9 1.txt\r\n\xF0\x9F\x98\x80"));
        QCOMPARE(::decodeText(encoded), text);
    }

    void windowsCodePageChar_data()
    {
        QTest::addColumn<int>("codePage");
        QTest::addColumn<int>("byte");
        QTest::addColumn<QString>("character");
        QTest::newRow("ascii") << 1251 << 0x41 << u"A"_s;
        QTest::newRow("1250 b9") << 1250 << 0xB9 << u"ą"_s;
        QTest::newRow("1250 8a") << 1250 << 0x8A << u"Š"_s;
        QTest::newRow("1251 c0") << 1251 << 0xC0 << u"А"_s;
        QTest::newRow("1251 a8") << 1251 << 0xA8 << u"Ё"_s;
        QTest::newRow("1251 88") << 1251 << 0x88 << u"€"_s;
        QTest::newRow("1253 e1") << 1253 << 0xE1 << u"α"_s;
        QTest::newRow("1253 undefined aa") << 1253 << 0xAA << u"\uFFFD"_s;
        QTest::newRow("1253 undefined 81") << 1253 << 0x81 << u"\u0081"_s;
        QTest::newRow("1252 9c") << 1252 << 0x9C << u"œ"_s;
        QTest::newRow("unknown page reads 1252") << 874 << 0xE9 << u"é"_s;
    }

    void windowsCodePageChar()
    {
        QFETCH(int, codePage);
        QFETCH(int, byte);
        QFETCH(QString, character);
        QCOMPARE(QString(QChar(::windowsCodePageChar(codePage, uchar(byte)))), character);
    }
};

QTEST_APPLESS_MAIN(TextDecoderTest)
#include "tst_textdecoder.moc"
